// A test that sites one lumex control in the recording container: a loaded server, a real
// top-level window as the container's window, a frame and a document window, and the
// control with its client site set.  The end of every test closes the control, drops it
// and checks that every container object is back at 0 references and the library can
// unload.
#pragma once
#include <gtest/gtest.h>

#include <ocidl.h>
#include <oleidl.h>

#include <string>
#include <vector>

#include "recording_container.h"
#include "support/interface_ptr.h"
#include "common/loaded_server.h"

class ContainerFixture : public ::testing::Test {
protected:
    ContainerFixture();
    void TearDown() override;

    // A new control, asked for IOleObject, its client site set to site and the log cleared.
    InterfacePtr<IOleObject> MakeSitedControl(RecordingSite& clientSite);
    // The control's in-place object and active object.
    InterfacePtr<IOleInPlaceObjectWindowless> InPlace() const;
    InterfacePtr<IOleInPlaceActiveObject> ActiveObject() const;
    HRESULT Activate(LONG verb);
    void UseLevel(InPlaceLevel level, bool acceptsWindowless = false);
    // In place with a window (through an Ex site), and the log cleared.
    void ActivateWindowedInPlace();
    // The control window: the container window's only child of the control's class.
    HWND ControlWindowHandle() const;
    // Closes and drops the control, and lets go of what the frame and document window hold.
    void DropControl(InterfacePtr<IOleObject>& control);

    LoadedServer server;
    CallLog log;
    ContainerWindow container;
    RecordingUIWindow frame{log, "Frame"};
    RecordingUIWindow document{log, "Document"};
    RecordingSite site{log};
    InterfacePtr<IOleObject> object;
};

// The entries expected, one per line, for comparing with CallLog::Format.
std::string Lines(const std::vector<std::string>& entries);
// The control window's class name.
std::string ClassNameOf(HWND window);
