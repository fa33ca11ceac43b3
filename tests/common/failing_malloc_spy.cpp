#include "common/failing_malloc_spy.h"

void FailingMallocSpy::Fail(long first, long count) {
    SectionLock lock(lock_);
    attempts_ = 0;
    failFirst_ = first;
    failCount_ = count;
}

size_t FailingMallocSpy::HeldBlocks() {
    SectionLock lock(lock_);
    return held_.size();
}

bool FailingMallocSpy::NextFails() {
    const long n = attempts_++;
    return n >= failFirst_ && n - failFirst_ < failCount_;
}

HRESULT STDMETHODCALLTYPE FailingMallocSpy::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    const bool mine = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy);
    *ppv = mine ? static_cast<IMallocSpy*>(this) : nullptr;
    return *ppv != nullptr ? S_OK : E_NOINTERFACE;
}

// Asking for 0 bytes makes the allocation fail.
SIZE_T STDMETHODCALLTYPE FailingMallocSpy::PreAlloc(SIZE_T cbRequest) {
    SectionLock lock(lock_);
    return NextFails() ? 0 : cbRequest;
}

void* STDMETHODCALLTYPE FailingMallocSpy::PostAlloc(void* pActual) {
    SectionLock lock(lock_);
    if (pActual != nullptr) held_.insert(pActual);
    return pActual;
}

// Blocks are known by address: the system loses its own flag when it fails a reallocation
// for the spy, although the old block stays allocated.
void* STDMETHODCALLTYPE FailingMallocSpy::PreFree(void* pRequest, BOOL) {
    SectionLock lock(lock_);
    held_.erase(pRequest);
    return pRequest;
}

SIZE_T STDMETHODCALLTYPE FailingMallocSpy::PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL) {
    SectionLock lock(lock_);
    *ppNewRequest = pRequest;
    if (cbRequest != 0 && NextFails()) return 0;  // the old block stays as it was
    reallocated_ = pRequest;
    return cbRequest;
}

void* STDMETHODCALLTYPE FailingMallocSpy::PostRealloc(void* pActual, BOOL) {
    SectionLock lock(lock_);
    held_.erase(reallocated_);
    reallocated_ = nullptr;
    if (pActual != nullptr) held_.insert(pActual);
    return pActual;
}
