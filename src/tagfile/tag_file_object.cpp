// The TagFile object's creation, identity and interface lookup.
#include "tagfile/tag_file_object.h"

#include <new>

const InterfaceTableEntry TagFileObject::Interfaces[] = {
    {&IID_ITagFile2, SubObjectOf<TagFileObject, ITagFile2>},
    {&IID_ITagFile, SubObjectOf<TagFileObject, ITagFile2>},
    {&IID_IDispatch, SubObjectOf<TagFileObject, ITagFile2>},
    {&IID_ISupportErrorInfo, SubObjectOf<TagFileObject, ISupportErrorInfo>},
    {&IID_IProvideClassInfo, SubObjectOf<TagFileObject, IProvideClassInfo>},
    {nullptr, nullptr},
};

TagFileObject::TagFileObject(IUnknown* outer) noexcept : Controlling(outer != nullptr ? outer : &Own) {
    StateLock.Initialize();
}

TagFileObject::~TagFileObject() { StateLock.Delete(); }

HRESULT WINAPI TagFileObject::MakeInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    // An outer object may hold only the inner unknown.
    if (outer != nullptr && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) TagFileObject(outer);
    if (object == nullptr) return E_OUTOFMEMORY;
    // The first reference keeps the object whole while it is asked; the lookup's own
    // reference is what the caller receives, and a failed lookup destroys it.
    object->Own.AddRef();
    const HRESULT result = object->Own.QueryInterface(riid, ppv);
    object->Own.Release();
    return result;
}

HRESULT STDMETHODCALLTYPE TagFileObject::QueryInterface(REFIID riid, void** ppv) {
    return Controlling->QueryInterface(riid, ppv);
}
ULONG STDMETHODCALLTYPE TagFileObject::AddRef() { return Controlling->AddRef(); }
ULONG STDMETHODCALLTYPE TagFileObject::Release() { return Controlling->Release(); }

HRESULT STDMETHODCALLTYPE TagFileObject::OwnUnknown::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return QueryThroughTable(&object_, Interfaces, riid, ppv);
}

ULONG STDMETHODCALLTYPE TagFileObject::OwnUnknown::AddRef() { return static_cast<ULONG>(++object_.RefCount); }

ULONG STDMETHODCALLTYPE TagFileObject::OwnUnknown::Release() {
    const LONG n = --object_.RefCount;
    if (n == 0) delete &object_;
    return static_cast<ULONG>(n);
}
