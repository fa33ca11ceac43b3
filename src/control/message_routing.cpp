// The control's message table: its own handlers first, then the notifications that a
// reflecting container sends back to the control as OCM__BASE plus the message.
#include "control/lumex_control.h"

#include <olectl.h>

namespace {

using MessageHandler = LRESULT (LumexControl::*)(UINT, WPARAM, LPARAM, BOOL&);

// The messages a container reflects; each is answered as the default procedure answers
// the message it stands for.
constexpr UINT kReflectedMessages[] = {
    WM_DRAWITEM,        WM_MEASUREITEM,       WM_DELETEITEM,    WM_VKEYTOITEM,  WM_CHARTOITEM,
    WM_COMPAREITEM,     WM_NOTIFY,            WM_COMMAND,       WM_HSCROLL,     WM_VSCROLL,
    WM_CTLCOLORMSGBOX,  WM_CTLCOLOREDIT,      WM_CTLCOLORLISTBOX, WM_CTLCOLORBTN, WM_CTLCOLORDLG,
    WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC,  WM_PARENTNOTIFY,
};

bool IsReflectedNotification(UINT message) {
    if (message < OCM__BASE) return false;
    for (UINT reflected : kReflectedMessages) {
        if (message - OCM__BASE == reflected) return true;
    }
    return false;
}

}  // namespace

BOOL LumexControl::RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                DWORD tableId) {
    // The last messages of a dying control's window change nothing and tell no one.
    if (tableId != 0 || DestructionBegun) return FALSE;
    MessageHandler handler = nullptr;
    switch (message) {
        case WM_PAINT: handler = &LumexControl::HandlePaint; break;
        case WM_SETFOCUS: handler = &LumexControl::HandleSetFocus; break;
        case WM_KILLFOCUS: handler = &LumexControl::HandleKillFocus; break;
        case WM_MOUSEACTIVATE: handler = &LumexControl::HandleMouseActivate; break;
        default: break;
    }
    if (handler != nullptr) {
        BOOL handled = TRUE;
        result = (this->*handler)(message, wParam, lParam, handled);
        if (handled) return TRUE;
    }
    if (IsReflectedNotification(message)) {
        result = DefWindowProcA(window, message - OCM__BASE, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}
