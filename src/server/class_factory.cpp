#include "server/class_factory.h"

#include <new>

#include "module/interface_table.h"

namespace {

const InterfaceTableEntry kFactoryTable[] = {
    {&IID_IClassFactory, SubObjectOf<CachedClassFactory, IClassFactory>},
    {nullptr, nullptr},
};

}  // namespace

CachedClassFactory::CachedClassFactory(InstanceMakerFunction creator) noexcept : Creator(creator) {
    CacheLock.Initialize();
}

CachedClassFactory::~CachedClassFactory() { CacheLock.Delete(); }

HRESULT STDMETHODCALLTYPE CachedClassFactory::QueryInterface(REFIID riid, void** ppv) {
    return QueryThroughTable(this, kFactoryTable, riid, ppv);
}

// The class table holds the first reference; only references beyond it keep the
// library loaded, so the steps 1 -> 2 and 2 -> 1 take and give back a module lock.
ULONG STDMETHODCALLTYPE CachedClassFactory::AddRef() {
    SectionLock lock(CacheLock);
    const LONG n = InterlockedIncrement(&RefCount);
    if (RefCount == 2) AddModuleLock();
    return static_cast<ULONG>(n);
}

ULONG STDMETHODCALLTYPE CachedClassFactory::Release() {
    LONG n;
    {
        SectionLock lock(CacheLock);
        InterlockedDecrement(&RefCount);
        n = RefCount;
    }
    if (n == 0) {
        RefCount = 1;
        delete this;
    } else if (n == 1) {
        DropModuleLock();
    }
    return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE CachedClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter != nullptr && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return Creator(pUnkOuter, riid, ppvObject);
}

HRESULT STDMETHODCALLTYPE CachedClassFactory::LockServer(BOOL fLock) {
    if (fLock) {
        AddModuleLock();
    } else {
        DropModuleLock();
    }
    return S_OK;
}

HRESULT WINAPI MakeClassObject(InstanceMakerFunction creator, REFIID riid, void** ppv) {
    auto* factory = new (std::nothrow) CachedClassFactory(creator);
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(riid, ppv);
    if (result != S_OK) delete factory;
    return result;
}
