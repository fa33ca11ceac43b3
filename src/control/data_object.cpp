// IDataObject of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IDataObject

HRESULT STDMETHODCALLTYPE LumexControl::GetData(FORMATETC * /*pformatetcIn*/, STGMEDIUM * /*pmedium*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetDataHere(FORMATETC * /*pformatetc*/, STGMEDIUM * /*pmedium*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::QueryGetData(FORMATETC * /*pformatetc*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetCanonicalFormatEtc(FORMATETC * /*pformatectIn*/, FORMATETC * /*pformatetcOut*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SetData(FORMATETC * /*pformatetc*/, STGMEDIUM * /*pmedium*/, BOOL /*fRelease*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnumFormatEtc(DWORD /*dwDirection*/, IEnumFORMATETC ** /*ppenumFormatEtc*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::DAdvise(FORMATETC * /*pformatetc*/, DWORD /*advf*/, IAdviseSink * /*pAdvSink*/, DWORD * /*pdwConnection*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::DUnadvise(DWORD /*dwConnection*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::EnumDAdvise(IEnumSTATDATA ** /*ppenumAdvise*/) { return E_NOTIMPL; }
