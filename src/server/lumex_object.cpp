#include "server/lumex_object.h"

#include <new>

#include "module/server_module.h"

// Objects are apartment-bound, so their counts need no interlocking.  Destruction sets
// the count to 1 first, so calls made during clean-up cannot start a second one.

PlainObject::PlainObject() noexcept = default;

PlainObject::~PlainObject() { ReleaseControl(); }

HRESULT STDMETHODCALLTYPE PlainObject::QueryInterface(REFIID riid, void** ppv) { return QueryOwnInterface(riid, ppv); }

ULONG STDMETHODCALLTYPE PlainObject::AddRef() { return static_cast<ULONG>(++RefCount); }

ULONG STDMETHODCALLTYPE PlainObject::Release() {
    const LONG n = --RefCount;
    if (n == 0) {
        RefCount = 1;
        delete this;
    }
    return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE ContainedControl::QueryInterface(REFIID riid, void** ppv) {
    const HRESULT result = OuterUnknown->QueryInterface(riid, ppv);
    if (FAILED(result) && OuterUnknown != static_cast<Ilumex*>(this)) return QueryOwnInterface(riid, ppv);
    return result;
}

ULONG STDMETHODCALLTYPE ContainedControl::AddRef() { return OuterUnknown->AddRef(); }
ULONG STDMETHODCALLTYPE ContainedControl::Release() { return OuterUnknown->Release(); }

AggregateObject::AggregateObject(IUnknown* outer) noexcept : Control(outer) {}

AggregateObject::~AggregateObject() { Control.ReleaseControl(); }

HRESULT STDMETHODCALLTYPE AggregateObject::QueryInterface(REFIID riid, void** ppv) {
    if (!IsEqualGUID(riid, IID_IUnknown)) return Control.QueryOwnInterface(riid, ppv);
    if (ppv == nullptr) return E_POINTER;
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE AggregateObject::AddRef() { return static_cast<ULONG>(++RefCount); }

ULONG STDMETHODCALLTYPE AggregateObject::Release() {
    const LONG n = --RefCount;
    if (n == 0) {
        RefCount = 1;
        delete this;
    }
    return static_cast<ULONG>(n);
}

HRESULT WINAPI MakeInstance(IUnknown* outer, REFIID riid, void** ppv) {
    // Hands out the interface asked for; a new object that has none is destroyed at once.
    auto handOut = [&](auto* object) -> HRESULT {
        if (object == nullptr) return E_OUTOFMEMORY;
        const HRESULT result = object->QueryInterface(riid, ppv);
        if (result != S_OK) delete object;
        return result;
    };
    if (outer == nullptr) return handOut(new (std::nothrow) PlainObject);
    return handOut(new (std::nothrow) AggregateObject(outer));
}
