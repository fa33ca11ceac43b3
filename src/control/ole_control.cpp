// IOleControl of the lumex control.  The control has no mnemonics and no events, and
// reads its ambient properties at each use, so there is little to do here.
#include "control/lumex_control.h"

HRESULT STDMETHODCALLTYPE LumexControl::GetControlInfo(CONTROLINFO*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnMnemonic(MSG*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

// Counted without bound in either direction; nothing reads the count.
HRESULT STDMETHODCALLTYPE LumexControl::FreezeEvents(BOOL bFreeze) {
    FreezeCount += bFreeze ? 1 : -1;
    return S_OK;
}
