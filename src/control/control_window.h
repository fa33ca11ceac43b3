// The window part of every lumex object: the child window a windowed control lives in,
// bound to its object by a per-window entry stub, and the message routing behind it.
#pragma once
#include <windows.h>

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

    HWND Handle = nullptr;
    PendingWindow Pending{};           // the creation record while the window is being made
    void* EntryStub = nullptr;         // executable memory holding this object's stub
    const MSG* CurrentMessage = nullptr;
    WNDPROC PreviousProcedure = DefWindowProcA;

protected:
    ControlWindow() noexcept = default;
    ~ControlWindow();
};
