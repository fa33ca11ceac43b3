// IOleInPlaceActiveObject of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IOleInPlaceActiveObject

HRESULT STDMETHODCALLTYPE LumexControl::TranslateAccelerator(LPMSG /*lpmsg*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnFrameWindowActivate(BOOL /*fActivate*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::OnDocWindowActivate(BOOL /*fActivate*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::ResizeBorder(LPCRECT /*prcBorder*/, IOleInPlaceUIWindow * /*pUIWindow*/, BOOL /*fFrameWindow*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnableModeless(BOOL /*fEnable*/) { return E_NOTIMPL; }
