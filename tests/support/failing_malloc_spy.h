// A spy on the COM task allocator that makes chosen allocations fail and counts the
// blocks still held, so that tests can run out of memory on purpose and look for leaks.
// BSTRs come from the same allocator only when the system's string cache is off
// (OANOCACHE=1, which CTest sets for every test).
#pragma once
#include <windows.h>
#include <objidl.h>

#include <set>

class FailingMallocSpy final : public IMallocSpy {
public:
    // Registers the spy; nothing fails until Fail is called.
    FailingMallocSpy();
    FailingMallocSpy(const FailingMallocSpy&) = delete;
    FailingMallocSpy& operator=(const FailingMallocSpy&) = delete;
    ~FailingMallocSpy();

    bool Registered() const { return registered_; }
    // False while blocks allocated under the spy are still out: the system then keeps
    // the spy and calls it until they are freed.
    bool Revoke();
    // Counting from now, allocations number first to first + count - 1 fail (0 is the next).
    void Fail(long first, long count = 0x7FFFFFFF);
    void FailNothing() { Fail(0, 0); }
    // Allocations and reallocations asked for since the last Fail.
    long Attempts() const { return attempts_; }
    // Blocks allocated while the spy was registered and not yet freed.
    size_t HeldBlocks() const;
    static bool StringCacheIsOff();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override;
    void* STDMETHODCALLTYPE PostAlloc(void* pActual) override;
    void* STDMETHODCALLTYPE PreFree(void* pRequest, BOOL fSpyed) override;
    void STDMETHODCALLTYPE PostFree(BOOL fSpyed) override;
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL fSpyed) override;
    void* STDMETHODCALLTYPE PostRealloc(void* pActual, BOOL fSpyed) override;
    void* STDMETHODCALLTYPE PreGetSize(void* pRequest, BOOL fSpyed) override;
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cbActual, BOOL fSpyed) override;
    void* STDMETHODCALLTYPE PreDidAlloc(void* pRequest, BOOL fSpyed) override;
    int STDMETHODCALLTYPE PostDidAlloc(void* pRequest, BOOL fSpyed, int fActual) override;
    void STDMETHODCALLTYPE PreHeapMinimize() override;
    void STDMETHODCALLTYPE PostHeapMinimize() override;

private:
    bool NextFails();

    bool registered_ = false;
    long attempts_ = 0;
    long failFirst_ = 0;
    long failCount_ = 0;
    void* reallocated_ = nullptr;  // the block a reallocation started from
    std::set<void*> held_;
    mutable CRITICAL_SECTION lock_;
};

// A spy registered for one scope. One that cannot be revoked because a test leaked stays
// alive for the system to call.
class MallocSpyScope {
public:
    MallocSpyScope() : spy_(new FailingMallocSpy) {}
    MallocSpyScope(const MallocSpyScope&) = delete;
    MallocSpyScope& operator=(const MallocSpyScope&) = delete;
    ~MallocSpyScope() {
        if (spy_->Revoke()) delete spy_;
    }
    FailingMallocSpy* operator->() const { return spy_; }

private:
    FailingMallocSpy* spy_;
};
