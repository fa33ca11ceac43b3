// The container side of a windowed in-place activation, from the tests' recording
// container: a top-level window, a frame, a document window and a client site that offers
// an in-place site with the Ex level.
#pragma once
#include <windows.h>

#include "recording_container.h"

struct BenchContainer {
    CallLog Log;
    ContainerWindow Window;
    RecordingUIWindow Frame{Log, "Frame"};
    RecordingUIWindow Document{Log, "Document"};
    RecordingSite Site{Log};

    BenchContainer() {
        Site.Options().Level = InPlaceLevel::Ex;
        Site.Options().Parent = Window.Handle();
        Site.Options().Frame = &Frame;
        Site.Options().Document = &Document;
    }
    BenchContainer(const BenchContainer&) = delete;
    BenchContainer& operator=(const BenchContainer&) = delete;

    // One activation in a window of its own and its undoing; the log is emptied.
    void ActivateAndDeactivate(IOleObject* control, IOleInPlaceObject* inPlace) {
        RECT position = {10, 20, 110, 70};
        control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &Site, 0, Window.Handle(), &position);
        inPlace->InPlaceDeactivate();
        Log.Clear();
    }
    // What the frame and document window still hold of a control that is gone.
    void ForgetControl() {
        Frame.ForgetActiveObject();
        Document.ForgetActiveObject();
    }
    bool AllReferencesBack() const {
        return Site.References() == 0 && Frame.References() == 0 && Document.References() == 0;
    }
};

// Dispatches whatever the thread's queue holds.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}
