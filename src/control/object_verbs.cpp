// IOleObject::DoVerb: the control's verbs from OLEIVERB_PROPERTIES (-7) to
// OLEIVERB_PRIMARY (0).  Positive verbs and those below -7 are not the control's.
#include "control/lumex_control.h"

#include <olectl.h>

namespace {

HRESULT FailureOrOk(HRESULT result) { return FAILED(result) ? result : S_OK; }

}  // namespace

HRESULT STDMETHODCALLTYPE LumexControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite*, LONG, HWND hwndParent,
                                               LPCRECT lprcPosRect) {
    switch (iVerb) {
        case OLEIVERB_PRIMARY:
            // Only the primary verb reads the container's mode: a designer opens the
            // property frame, a running form activates the control.
            if (IsAmbientDesignMode()) return OpenPropertyFrame(hwndParent);
            return DoInPlaceActivateVerb(lprcPosRect);
        case OLEIVERB_SHOW:
            return FailureOrOk(ActivateInPlace(OLEIVERB_SHOW, lprcPosRect));
        case OLEIVERB_OPEN:
            return S_OK;
        case OLEIVERB_HIDE:
            DeactivateUI();
            if (WindowHandleRef() != nullptr) ShowWindow(WindowHandleRef(), SW_HIDE);
            return S_OK;
        case OLEIVERB_UIACTIVATE:
            if (Has(ControlFlag::IsUIActive)) return S_OK;
            return FailureOrOk(ActivateInPlace(OLEIVERB_UIACTIVATE, lprcPosRect));
        case OLEIVERB_INPLACEACTIVATE:
            return DoInPlaceActivateVerb(lprcPosRect);
        case OLEIVERB_DISCARDUNDOSTATE:
            return S_OK;
        case OLEIVERB_PROPERTIES:
            return OpenPropertyFrame(hwndParent);
        default:
            return E_NOTIMPL;
    }
}

// The only verb that fires a view change.
HRESULT LumexControl::DoInPlaceActivateVerb(LPCRECT position) {
    const HRESULT result = ActivateInPlace(OLEIVERB_INPLACEACTIVATE, position);
    if (FAILED(result)) return result;
    NotifyViewChanged();
    return S_OK;
}
