// IOleObject of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IOleObject

HRESULT STDMETHODCALLTYPE LumexControl::SetClientSite(IOleClientSite * /*pClientSite*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetClientSite(IOleClientSite ** /*ppClientSite*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetHostNames(LPCOLESTR /*szContainerApp*/, LPCOLESTR /*szContainerObj*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Close(DWORD /*dwSaveOption*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetMoniker(DWORD /*dwWhichMoniker*/, IMoniker * /*pmk*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetMoniker(DWORD /*dwAssign*/, DWORD /*dwWhichMoniker*/, IMoniker ** /*ppmk*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::InitFromData(IDataObject * /*pDataObject*/, BOOL /*fCreation*/, DWORD /*dwReserved*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetClipboardData(DWORD /*dwReserved*/, IDataObject ** /*ppDataObject*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::DoVerb(LONG /*iVerb*/, LPMSG /*lpmsg*/, IOleClientSite * /*pActiveSite*/, LONG /*lindex*/, HWND /*hwndParent*/, LPCRECT /*lprcPosRect*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnumVerbs(IEnumOLEVERB ** /*ppEnumOleVerb*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Update() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::IsUpToDate() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetUserClassID(CLSID * /*pClsid*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetUserType(DWORD /*dwFormOfType*/, LPOLESTR * /*pszUserType*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetExtent(DWORD /*dwDrawAspect*/, SIZEL * /*psizel*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetExtent(DWORD /*dwDrawAspect*/, SIZEL * /*psizel*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Advise(IAdviseSink * /*pAdvSink*/, DWORD * /*pdwConnection*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Unadvise(DWORD /*dwConnection*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnumAdvise(IEnumSTATDATA ** /*ppenumAdvise*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetMiscStatus(DWORD /*dwAspect*/, DWORD * /*pdwStatus*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetColorScheme(LOGPALETTE * /*pLogpal*/) { return E_NOTIMPL; }
