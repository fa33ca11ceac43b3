// A critical section and the scope that holds it.
#pragma once
#include <windows.h>

// The section lives where it was initialized: the system keeps its address, so a copy
// would be a second, uninitialized lock that shares nothing with the first.
class CriticalSection {
public:
    CriticalSection() noexcept = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Initialize() noexcept { InitializeCriticalSection(&section_); }
    void Delete() noexcept { DeleteCriticalSection(&section_); }
    void Enter() noexcept { EnterCriticalSection(&section_); }
    void Leave() noexcept { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_{};
};

class SectionLock {
public:
    explicit SectionLock(CriticalSection& section) noexcept : section_(section) { section_.Enter(); }
    SectionLock(const SectionLock&) = delete;
    SectionLock& operator=(const SectionLock&) = delete;
    ~SectionLock() { section_.Leave(); }

private:
    CriticalSection& section_;
};
