// IOleInPlaceActiveObject of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IOleInPlaceActiveObject

HRESULT STDMETHODCALLTYPE LumexControl::TranslateAccelerator(LPMSG /*lpmsg*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnFrameWindowActivate(WINBOOL /*fActivate*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnDocWindowActivate(WINBOOL /*fActivate*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::ResizeBorder(LPCRECT /*prcBorder*/, IOleInPlaceUIWindow * /*pUIWindow*/, WINBOOL /*fFrameWindow*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnableModeless(WINBOOL /*fEnable*/) { return E_NOTIMPL; }
