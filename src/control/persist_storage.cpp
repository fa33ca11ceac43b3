// IPersistStorage of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IPersistStorage

HRESULT STDMETHODCALLTYPE LumexControl::InitNew(IStorage * /*pStg*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Load(IStorage * /*pStg*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Save(IStorage * /*pStgSave*/, BOOL /*fSameAsLoad*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::SaveCompleted(IStorage * /*pStgNew*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::HandsOffStorage() { return E_NOTIMPL; }

HRESULT LumexControl::StorageIsDirty() { return E_NOTIMPL; }
