#include "support/failing_malloc_spy.h"

namespace {

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION& section_;
};

}  // namespace

FailingMallocSpy::FailingMallocSpy() {
    InitializeCriticalSection(&lock_);
    registered_ = CoRegisterMallocSpy(this) == S_OK;
}

FailingMallocSpy::~FailingMallocSpy() { DeleteCriticalSection(&lock_); }

bool FailingMallocSpy::Revoke() {
    if (!registered_) return true;
    registered_ = CoRevokeMallocSpy() != S_OK;
    return !registered_;
}

bool FailingMallocSpy::StringCacheIsOff() { return GetEnvironmentVariableW(L"OANOCACHE", nullptr, 0) != 0; }

void FailingMallocSpy::Fail(long first, long count) {
    Locked lock(lock_);
    attempts_ = 0;
    failFirst_ = first;
    failCount_ = count;
}

size_t FailingMallocSpy::HeldBlocks() const {
    Locked lock(lock_);
    return held_.size();
}

bool FailingMallocSpy::NextFails() {
    const long n = attempts_++;
    return n >= failFirst_ && n - failFirst_ < failCount_;
}

HRESULT STDMETHODCALLTYPE FailingMallocSpy::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy)) {
        *ppv = static_cast<IMallocSpy*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

// The spy lives as long as the test that made it; the system's references are not counted.
ULONG STDMETHODCALLTYPE FailingMallocSpy::AddRef() { return 2; }
ULONG STDMETHODCALLTYPE FailingMallocSpy::Release() { return 1; }

// Asking for 0 bytes makes the allocation fail.
SIZE_T STDMETHODCALLTYPE FailingMallocSpy::PreAlloc(SIZE_T cbRequest) {
    Locked lock(lock_);
    return NextFails() ? 0 : cbRequest;
}

void* STDMETHODCALLTYPE FailingMallocSpy::PostAlloc(void* pActual) {
    Locked lock(lock_);
    if (pActual != nullptr) held_.insert(pActual);
    return pActual;
}

// Blocks are known by address: the system's own flag is lost when it fails a reallocation
// for the spy, although the old block stays allocated.
void* STDMETHODCALLTYPE FailingMallocSpy::PreFree(void* pRequest, BOOL) {
    Locked lock(lock_);
    held_.erase(pRequest);
    return pRequest;
}

void STDMETHODCALLTYPE FailingMallocSpy::PostFree(BOOL) {}

SIZE_T STDMETHODCALLTYPE FailingMallocSpy::PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest,
                                                      BOOL) {
    Locked lock(lock_);
    *ppNewRequest = pRequest;
    if (cbRequest != 0 && NextFails()) return 0;  // the old block stays as it was
    reallocated_ = pRequest;
    return cbRequest;
}

void* STDMETHODCALLTYPE FailingMallocSpy::PostRealloc(void* pActual, BOOL) {
    Locked lock(lock_);
    if (reallocated_ != nullptr) held_.erase(reallocated_);
    reallocated_ = nullptr;
    if (pActual != nullptr) held_.insert(pActual);
    return pActual;
}

void* STDMETHODCALLTYPE FailingMallocSpy::PreGetSize(void* pRequest, BOOL) { return pRequest; }
SIZE_T STDMETHODCALLTYPE FailingMallocSpy::PostGetSize(SIZE_T cbActual, BOOL) { return cbActual; }
void* STDMETHODCALLTYPE FailingMallocSpy::PreDidAlloc(void* pRequest, BOOL) { return pRequest; }
int STDMETHODCALLTYPE FailingMallocSpy::PostDidAlloc(void*, BOOL, int fActual) { return fActual; }
void STDMETHODCALLTYPE FailingMallocSpy::PreHeapMinimize() {}
void STDMETHODCALLTYPE FailingMallocSpy::PostHeapMinimize() {}
