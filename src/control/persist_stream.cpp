// IPersist, IPersistStreamInit of the lumex control; not supported yet.
#include "control/lumex_control.h"

// IPersist

HRESULT STDMETHODCALLTYPE LumexControl::GetClassID(CLSID * /*pClassID*/) { return E_NOTIMPL; }

// IPersistStreamInit

HRESULT LumexControl::StreamIsDirty() { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Load(LPSTREAM /*pStm*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::Save(LPSTREAM /*pStm*/, BOOL /*fClearDirty*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::GetSizeMax(ULARGE_INTEGER * /*pCbSize*/) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE LumexControl::InitNew() { return E_NOTIMPL; }
