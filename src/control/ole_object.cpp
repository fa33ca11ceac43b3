// IOleObject of the lumex control: the client site, closing, the extent, advise sinks and
// what the registry says of the class.  The verbs are in object_verbs.cpp.
#include "control/lumex_control.h"

HRESULT STDMETHODCALLTYPE LumexControl::SetClientSite(IOleClientSite* pClientSite) {
    AssignInterface(ClientSite, pClientSite);
    AmbientDispatch.Reset();
    if (ClientSite) ClientSite.QueryInto(IID_IDispatch, AmbientDispatch);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetClientSite(IOleClientSite** ppClientSite) {
    if (ppClientSite == nullptr) return E_POINTER;
    *ppClientSite = InterfacePtr<IOleClientSite>(ClientSite).Detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE LumexControl::Close(DWORD dwSaveOption) {
    InterfacePtr<IOleInPlaceObject> inPlace;
    QueryOwnInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid());
    if (WindowHandleRef() != nullptr && ClientSite) ClientSite->OnShowWindow(FALSE);
    if (Has(ControlFlag::IsInPlaceActive)) {
        const HRESULT result = inPlace->InPlaceDeactivate();
        if (FAILED(result)) return result;
    }
    DestroyControlWindow();
    const bool savesIfDirty = dwSaveOption == OLECLOSE_SAVEIFDIRTY || dwSaveOption == OLECLOSE_PROMPTSAVE;
    if (savesIfDirty && Has(ControlFlag::NeedsSave)) {
        if (ClientSite) ClientSite->SaveObject();
        NotifySaved();
    }
    InPlaceSite.Reset();
    Clear(ControlFlag::HasInPlaceSite | ControlFlag::IsWindowless | ControlFlag::SiteSupportsEx);
    ViewAdviseSink.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetMoniker(DWORD, DWORD, IMoniker**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetClipboardData(DWORD, IDataObject**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) {
    if (ppEnumOleVerb == nullptr) return E_POINTER;
    return OleRegEnumVerbs(CLSID_lumex, ppEnumOleVerb);
}

HRESULT STDMETHODCALLTYPE LumexControl::Update() { return S_OK; }

HRESULT STDMETHODCALLTYPE LumexControl::IsUpToDate() { return S_OK; }

HRESULT STDMETHODCALLTYPE LumexControl::GetUserClassID(CLSID* pClsid) {
    if (pClsid == nullptr) return E_POINTER;
    *pClsid = CLSID_lumex;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) {
    if (pszUserType == nullptr) return E_POINTER;
    return OleRegGetUserType(CLSID_lumex, dwFormOfType, pszUserType);
}

HRESULT STDMETHODCALLTYPE LumexControl::SetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (psizel == nullptr) return E_POINTER;
    const bool matchesNatural = psizel->cx == NaturalExtent.cx && psizel->cy == NaturalExtent.cy;
    if (Has(ControlFlag::FixedToNaturalSize)) return matchesNatural ? S_OK : E_FAIL;
    bool changed = false;
    if (psizel->cx != Extent.cx || psizel->cy != Extent.cy) {
        Extent = *psizel;
        changed = true;
    }
    if (Has(ControlFlag::NaturalFollowsExtent) && !matchesNatural) {
        NaturalExtent = *psizel;
        changed = true;
    }
    if (Has(ControlFlag::RedrawOnResize) && changed) {
        NotifyDataChanged(0);
        NotifyViewChanged();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetExtent(DWORD dwDrawAspect, SIZEL* psizel) {
    if (dwDrawAspect != DVASPECT_CONTENT) return E_FAIL;
    if (psizel == nullptr) return E_POINTER;
    *psizel = Extent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LumexControl::Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) {
    if (!OleAdviseHolder) {
        const HRESULT result = CreateOleAdviseHolder(OleAdviseHolder.Receive());
        if (FAILED(result)) {
            OleAdviseHolder.Reset();
            return result;
        }
    }
    return OleAdviseHolder->Advise(pAdvSink, pdwConnection);
}

HRESULT STDMETHODCALLTYPE LumexControl::Unadvise(DWORD dwConnection) {
    if (!OleAdviseHolder) return E_FAIL;
    return OleAdviseHolder->Unadvise(dwConnection);
}

HRESULT STDMETHODCALLTYPE LumexControl::EnumAdvise(IEnumSTATDATA** ppenumAdvise) {
    // The platform's holder would write through a null pointer.
    if (ppenumAdvise == nullptr) return E_POINTER;
    if (!OleAdviseHolder) return E_FAIL;
    return OleAdviseHolder->EnumAdvise(ppenumAdvise);
}

HRESULT STDMETHODCALLTYPE LumexControl::GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) {
    if (pdwStatus == nullptr) return E_POINTER;
    return OleRegGetMiscStatus(CLSID_lumex, dwAspect, pdwStatus);
}

HRESULT STDMETHODCALLTYPE LumexControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }
