// IViewObject, IViewObject2, IViewObjectEx of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IViewObject

HRESULT STDMETHODCALLTYPE LumexControl::Draw(DWORD /*dwDrawAspect*/, LONG /*lindex*/, void * /*pvAspect*/, DVTARGETDEVICE * /*ptd*/, HDC /*hdcTargetDev*/, HDC /*hdcDraw*/, LPCRECTL /*lprcBounds*/, LPCRECTL /*lprcWBounds*/, ContinueCallback /*pfnContinue*/, ULONG_PTR /*dwContinue*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetColorSet(DWORD /*dwDrawAspect*/, LONG /*lindex*/, void * /*pvAspect*/, DVTARGETDEVICE * /*ptd*/, HDC /*hicTargetDev*/, LOGPALETTE ** /*ppColorSet*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Freeze(DWORD /*dwDrawAspect*/, LONG /*lindex*/, void * /*pvAspect*/, DWORD * /*pdwFreeze*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Unfreeze(DWORD /*dwFreeze*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetAdvise(DWORD /*aspects*/, DWORD /*advf*/, IAdviseSink * /*pAdvSink*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetAdvise(DWORD * /*pAspects*/, DWORD * /*pAdvf*/, IAdviseSink ** /*ppAdvSink*/) { return E_NOTIMPL; }

// IViewObject2

HRESULT STDMETHODCALLTYPE LumexControl::GetExtent(DWORD /*dwDrawAspect*/, LONG /*lindex*/, DVTARGETDEVICE * /*ptd*/, LPSIZEL /*lpsizel*/) { return E_NOTIMPL; }

// IViewObjectEx

HRESULT STDMETHODCALLTYPE LumexControl::GetRect(DWORD /*dwAspect*/, LPRECTL /*pRect*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetViewStatus(DWORD * /*pdwStatus*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::QueryHitPoint(DWORD /*dwAspect*/, LPCRECT /*pRectBounds*/, POINT /*ptlLoc*/, LONG /*lCloseHint*/, DWORD * /*pHitResult*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::QueryHitRect(DWORD /*dwAspect*/, LPCRECT /*pRectBounds*/, LPCRECT /*pRectLoc*/, LONG /*lCloseHint*/, DWORD * /*pHitResult*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetNaturalExtent(DWORD /*dwAspect*/, LONG /*lindex*/, DVTARGETDEVICE * /*ptd*/, HDC /*hicTargetDev*/, DVEXTENTINFO * /*pExtentInfo*/, LPSIZEL /*pSizel*/) { return E_NOTIMPL; }
