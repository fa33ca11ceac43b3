// IOleControl of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IOleControl

HRESULT STDMETHODCALLTYPE LumexControl::GetControlInfo(CONTROLINFO * /*pCI*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnMnemonic(MSG * /*pMsg*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnAmbientPropertyChange(DISPID /*dispID*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::FreezeEvents(BOOL /*bFreeze*/) { return E_NOTIMPL; }
