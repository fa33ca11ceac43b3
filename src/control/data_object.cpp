// IDataObject of the lumex control: a metafile picture on request, and the data advise
// holder that containers register with.
#include "control/lumex_control.h"

HRESULT STDMETHODCALLTYPE LumexControl::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) {
    if (pmedium == nullptr) return E_POINTER;
    pmedium->tymed = TYMED_NULL;
    pmedium->hGlobal = nullptr;
    pmedium->pUnkForRelease = nullptr;
    if (pformatetcIn == nullptr) return E_POINTER;
    return RenderMetafile(pformatetcIn, pmedium);
}

HRESULT STDMETHODCALLTYPE LumexControl::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::QueryGetData(FORMATETC*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnumFormatEtc(DWORD, IEnumFORMATETC**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                                DWORD* pdwConnection) {
    if (!DataAdviseHolder) {
        const HRESULT created = CreateDataAdviseHolder(DataAdviseHolder.Receive());
        if (created != S_OK) {
            DataAdviseHolder.Reset();
            return created;
        }
    }
    return DataAdviseHolder->Advise(static_cast<IDataObject*>(this), pformatetc, advf, pAdvSink, pdwConnection);
}

HRESULT STDMETHODCALLTYPE LumexControl::DUnadvise(DWORD dwConnection) {
    if (!DataAdviseHolder) return OLE_E_NOCONNECTION;
    return DataAdviseHolder->Unadvise(dwConnection);
}

HRESULT STDMETHODCALLTYPE LumexControl::EnumDAdvise(IEnumSTATDATA** ppenumAdvise) {
    // The platform's holder would write through a null pointer.
    if (ppenumAdvise == nullptr) return E_POINTER;
    if (!DataAdviseHolder) return E_FAIL;
    return DataAdviseHolder->EnumAdvise(ppenumAdvise);
}
