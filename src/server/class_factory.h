// The cached class object of the lumex class.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "module/server_module.h"
#include "support/critical_section.h"

class CachedClassFactory final : public IClassFactory {
public:
    explicit CachedClassFactory(InstanceMakerFunction creator) noexcept;
    CachedClassFactory(const CachedClassFactory&) = delete;
    CachedClassFactory& operator=(const CachedClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

private:
    friend HRESULT WINAPI MakeClassObject(InstanceMakerFunction creator, REFIID riid, void** ppv);
    ~CachedClassFactory();

    LONG RefCount = 0;
    InstanceMakerFunction Creator;
    CriticalSection CacheLock;
};

// The class table's class-object maker.
HRESULT WINAPI MakeClassObject(InstanceMakerFunction creator, REFIID riid, void** ppv);
