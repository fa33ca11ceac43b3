// The keys a register attempt created, by their path below the root of the block
// (compared like lstrcmpiA). The rollback of a failed block removes them even where
// "NoRemove" protects a key: they were not there before the attempt.
#pragma once
#include <windows.h>

class CreatedKeyJournal {
public:
    CreatedKeyJournal() noexcept = default;
    CreatedKeyJournal(const CreatedKeyJournal&) = delete;
    CreatedKeyJournal& operator=(const CreatedKeyJournal&) = delete;
    ~CreatedKeyJournal() { delete[] Paths; }

    HRESULT Record(const char* path) noexcept;
    bool Contains(const char* path) const noexcept;
    void Clear() noexcept { Length = 0; }

private:
    char* Paths = nullptr;  // NUL-terminated paths, one after the other
    int Length = 0;
    int Capacity = 0;
};
