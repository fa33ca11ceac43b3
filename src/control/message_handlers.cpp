// The control's message handlers: painting, focus and mouse activation.  They serve the
// control window and, through OnWindowMessage with no window, the windowless control.
#include "control/lumex_control.h"

namespace {

// The UI-activate verb on the object itself, as a click or the focus asks for it.
void RunUIActivateVerb(LumexControl& control, HWND window) {
    InterfacePtr<IOleObject> object;
    if (FAILED(control.QueryOwnInterface(IID_IOleObject, object.ReceiveVoid()))) return;
    object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, control.ClientSite.Get(), 0, window, &control.PositionRect);
}

}  // namespace

LRESULT LumexControl::HandlePaint(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    auto dc = reinterpret_cast<HDC>(wParam);
    RECT bounds{};
    PAINTSTRUCT paint{};
    bool beganPaint = false;
    if (Handle == nullptr) {
        // Windowless: only a caller's DC can be painted, on the control's position.
        if (dc == nullptr) {
            handled = FALSE;
            return 0;
        }
        bounds = PositionRect;
    } else {
        if (dc == nullptr) {
            dc = BeginPaint(Handle, &paint);
            if (dc == nullptr) return 0;
            beganPaint = true;
        }
        GetClientRect(Handle, &bounds);
    }
    DrawRequest request{};
    request.Aspect = DVASPECT_CONTENT;
    request.Index = -1;
    request.DrawDC = dc;
    request.Bounds = &bounds;
    PrepareAndDraw(request);
    if (beganPaint) EndPaint(Handle, &paint);
    return 0;
}

LRESULT LumexControl::HandleSetFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (Has(ControlFlag::IsInPlaceActive)) {
        RunUIActivateVerb(*this, Handle);
        const InterfacePtr<IOleControlSite> controlSite = FindControlSite();
        // The verb may have ended the activation.
        if (Has(ControlFlag::IsInPlaceActive) && controlSite) controlSite->OnFocus(TRUE);
    }
    handled = FALSE;
    return 1;
}

LRESULT LumexControl::HandleKillFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
    const InterfacePtr<IOleControlSite> controlSite = FindControlSite();
    if (Has(ControlFlag::IsInPlaceActive) && controlSite && !IsChild(Handle, GetFocus())) {
        controlSite->OnFocus(FALSE);
    }
    handled = FALSE;
    return 1;
}

LRESULT LumexControl::HandleMouseActivate(UINT, WPARAM, LPARAM, BOOL& handled) {
    BOOL userMode = TRUE;
    const HRESULT result = QueryAmbientUserMode(&userMode);
    // Run mode, or a container that cannot say: a click activates the control.
    if (FAILED(result) || userMode) RunUIActivateVerb(*this, Handle);
    handled = FALSE;
    return 1;
}
