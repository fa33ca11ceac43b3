// A spy on the COM task allocator that makes chosen allocations fail and counts the
// blocks still held, so that tests can run out of memory on purpose and look for leaks.
// BSTRs come from this allocator only while the system's string cache is off
// (OANOCACHE=1, which CTest sets for every test).
#pragma once
#include <windows.h>
#include <objidl.h>

#include <set>

#include "support/critical_section.h"

class FailingMallocSpy final : public IMallocSpy {
public:
    FailingMallocSpy() { lock_.Initialize(); }
    FailingMallocSpy(const FailingMallocSpy&) = delete;
    FailingMallocSpy& operator=(const FailingMallocSpy&) = delete;
    ~FailingMallocSpy() { lock_.Delete(); }

    // Counting from now, allocations number first to first + count - 1 fail (0 is the next).
    void Fail(long first, long count = 0x7FFFFFFF);
    void FailNothing() { Fail(0, 0); }
    // Blocks allocated while the spy was registered and not yet freed.
    size_t HeldBlocks();
    static bool StringCacheIsOff() { return GetEnvironmentVariableW(L"OANOCACHE", nullptr, 0) != 0; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    // The spy lives as long as its scope says; the system's references are not counted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override;
    void* STDMETHODCALLTYPE PostAlloc(void* pActual) override;
    void* STDMETHODCALLTYPE PreFree(void* pRequest, BOOL fSpyed) override;
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL fSpyed) override;
    void* STDMETHODCALLTYPE PostRealloc(void* pActual, BOOL fSpyed) override;
    void* STDMETHODCALLTYPE PreGetSize(void* pRequest, BOOL) override { return pRequest; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cbActual, BOOL) override { return cbActual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* pRequest, BOOL) override { return pRequest; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int fActual) override { return fActual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    bool NextFails();

    long attempts_ = 0;
    long failFirst_ = 0;
    long failCount_ = 0;
    void* reallocated_ = nullptr;  // the block a reallocation started from
    std::set<void*> held_;
    CriticalSection lock_;
};

// A spy registered for one scope. One that cannot be revoked, because a test leaked a
// block, stays alive for the system to call.
class MallocSpyScope {
public:
    MallocSpyScope() : spy_(new FailingMallocSpy), registered_(CoRegisterMallocSpy(spy_) == S_OK) {}
    MallocSpyScope(const MallocSpyScope&) = delete;
    MallocSpyScope& operator=(const MallocSpyScope&) = delete;
    ~MallocSpyScope() {
        if (!registered_ || CoRevokeMallocSpy() == S_OK) delete spy_;
    }
    bool Registered() const { return registered_; }
    FailingMallocSpy* operator->() const { return spy_; }

private:
    FailingMallocSpy* spy_;
    bool registered_;
};
