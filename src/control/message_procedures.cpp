#include "control/message_procedures.h"

#include "control/control_window.h"
#include "control/pending_windows.h"
#include "module/server_module.h"

LRESULT CALLBACK FirstMessageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlWindow* object = TakePendingWindow(*TheModule);
    if (object == nullptr) {
        // A window of the class that no control is making: it belongs to nobody, and
        // stays with the default procedure from now on.
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    object->Handle = window;
    // The stub was written before the window was asked for.
    const WNDPROC stub = object->EntryStub;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(stub));
    return stub(window, message, wParam, lParam);
}

LRESULT CALLBACK SteadyMessageProcedure(ControlWindow* object, UINT message, WPARAM wParam, LPARAM lParam) {
    // Given back last, when nothing below touches the object any more.
    const InterfacePtr<IUnknown> hold = object->HoldForMessage();
    const HWND window = object->Handle;
    const MSG current = {window, message, wParam, lParam, 0, {0, 0}};
    const MSG* outer = object->CurrentMessage;
    object->CurrentMessage = &current;
    LRESULT result = 0;
    const BOOL handled = object->RouteMessage(window, message, wParam, lParam, result, 0);
    object->CurrentMessage = outer;
    if (handled) return result;
    result = CallWindowProcA(object->PreviousProcedure, window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window's last message: nothing enters its stub again, and nothing returns
        // into it (it jumped here), so it goes now, before the object may.
        object->Handle = nullptr;
        object->DropEntryStub();
        object->AfterLastMessage(window);
    }
    return result;
}
