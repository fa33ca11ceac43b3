// The window part of every lumex object: the child window a windowed control lives in,
// bound to its object by a per-window entry stub, and the message routing behind it.
#pragma once
#include <windows.h>

#include "support/interface_ptr.h"

class ControlWindow;

// The creation record: links an object to the window its thread is creating, until
// the window's first message takes it.
struct PendingWindow {
    ControlWindow* Object;
    DWORD ThreadId;
    PendingWindow* Next;
};

class ControlWindow {
public:
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    // The part's own operations, in slot order.
    virtual BOOL RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD tableId) = 0;
    virtual WNDPROC GetMessageProcedure();
    virtual void AfterLastMessage(HWND window);
    // A reference that keeps the object whole while one message of its window is routed,
    // since a handler may let the container release it; empty once its destruction began.
    virtual InterfacePtr<IUnknown> HoldForMessage() = 0;

    // Creates a window of the class registered as atom and binds it to this object; the
    // window's first message stores its handle in Handle before this returns.  Null, with
    // the reason as the thread's last error, when the atom is 0, when no executable memory
    // can be had for the window's stub, or when the system refuses the window.
    HWND CreateChildWindow(HWND parent, const RECT& rect, LPCSTR name, DWORD style, DWORD extendedStyle,
                           UINT_PTR childId, ATOM atom, void* creationParameter);
    // Gives the window's stub back; a window still bound to it (one whose destruction was
    // refused) is handed to the default procedure first.
    void DropEntryStub();

    HWND Handle = nullptr;
    PendingWindow Pending{};           // the creation record while the window is being made
    WNDPROC EntryStub = nullptr;       // the window's stub, made with it, given back after its last message
    const MSG* CurrentMessage = nullptr;
    WNDPROC PreviousProcedure = DefWindowProcA;

protected:
    ControlWindow() noexcept = default;
    ~ControlWindow() { DropEntryStub(); }
};
