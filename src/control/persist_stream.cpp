// IPersist and IPersistStreamInit of the lumex control: the extent saved and loaded
// through the control's property map.
#include "control/lumex_control.h"
#include "control/property_map.h"

namespace {

// The control as its property map sees it: its identity for dispatch entries, and its
// Extent record, from which the raw entries' offsets count.
PropertyOwner PersistedParts(LumexControl& control) {
    return {static_cast<IPersistStreamInit*>(&control), &control.Extent};
}

}  // namespace

// IPersist

HRESULT STDMETHODCALLTYPE LumexControl::GetClassID(CLSID* pClassID) {
    if (pClassID == nullptr) return E_POINTER;
    *pClassID = CLSID_lumex;
    return S_OK;
}

// IPersistStreamInit

HRESULT LumexControl::StreamIsDirty() { return Has(ControlFlag::NeedsSave) ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE LumexControl::Load(LPSTREAM pStm) {
    if (pStm == nullptr) return E_POINTER;
    const HRESULT result = LoadPropertiesFromStream(pStm, PropertyMap, PersistedParts(*this));
    if (SUCCEEDED(result)) Clear(ControlFlag::NeedsSave);
    return result;
}

HRESULT STDMETHODCALLTYPE LumexControl::Save(LPSTREAM pStm, BOOL fClearDirty) {
    if (pStm == nullptr) return E_POINTER;
    const HRESULT result = SavePropertiesToStream(pStm, PropertyMap, PersistedParts(*this));
    if (SUCCEEDED(result) && fClearDirty) Clear(ControlFlag::NeedsSave);
    return result;
}

HRESULT STDMETHODCALLTYPE LumexControl::GetSizeMax(ULARGE_INTEGER*) { return E_NOTIMPL; }

// The extent keeps whatever value it has.
HRESULT STDMETHODCALLTYPE LumexControl::InitNew() { return S_OK; }
