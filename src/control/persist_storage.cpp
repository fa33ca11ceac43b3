// IPersistStorage of the lumex control: the stream form kept in the storage's "Contents"
// stream, through whichever IPersistStreamInit the object answers.  The storage is never
// held between calls.
#include "control/lumex_control.h"

namespace {

constexpr wchar_t kContentsStream[] = L"Contents";

}  // namespace

HRESULT LumexControl::FindStreamPersistence(InterfacePtr<IPersistStreamInit>& found) {
    // The controlling identity first, so an outer object may answer in its own way.
    IPersistStorage* self = this;
    if (SUCCEEDED(self->QueryInterface(IID_IPersistStreamInit, found.ReceiveVoid())) && found) return S_OK;
    if (SUCCEEDED(QueryOwnInterface(IID_IPersistStreamInit, found.ReceiveVoid())) && found) return S_OK;
    return E_FAIL;
}

HRESULT LumexControl::StorageIsDirty() {
    InterfacePtr<IPersistStreamInit> persistence;
    if (FAILED(FindStreamPersistence(persistence))) return E_FAIL;
    return persistence->IsDirty();
}

// The storage is neither used nor kept.
HRESULT STDMETHODCALLTYPE LumexControl::InitNew(IStorage*) {
    InterfacePtr<IPersistStreamInit> persistence;
    if (FAILED(FindStreamPersistence(persistence))) return E_FAIL;
    return persistence->InitNew();
}

HRESULT STDMETHODCALLTYPE LumexControl::Load(IStorage* pStg) {
    InterfacePtr<IPersistStreamInit> persistence;
    if (FAILED(FindStreamPersistence(persistence))) return E_FAIL;
    if (pStg == nullptr) return E_POINTER;
    InterfacePtr<IStream> contents;
    const HRESULT opened =
        pStg->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.Receive());
    if (FAILED(opened)) return opened;
    return persistence->Load(contents.Get());
}

HRESULT STDMETHODCALLTYPE LumexControl::Save(IStorage* pStgSave, BOOL fSameAsLoad) {
    InterfacePtr<IPersistStreamInit> persistence;
    if (FAILED(FindStreamPersistence(persistence))) return E_FAIL;
    if (pStgSave == nullptr) return E_POINTER;
    InterfacePtr<IStream> contents;
    const HRESULT created = pStgSave->CreateStream(
        kContentsStream, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, contents.Receive());
    if (FAILED(created)) return created;
    // Saving into the storage it was loaded from is what makes the object clean again.
    return persistence->Save(contents.Get(), fSameAsLoad);
}

HRESULT STDMETHODCALLTYPE LumexControl::SaveCompleted(IStorage*) { return S_OK; }

HRESULT STDMETHODCALLTYPE LumexControl::HandsOffStorage() { return S_OK; }
