// The keys a register attempt created, by their position among the key items of the
// root block. Both passes read a block's key items in the same order, so the rollback
// finds them again by the same position.
#pragma once
#include <windows.h>

class CreatedKeyJournal {
public:
    CreatedKeyJournal() noexcept = default;
    CreatedKeyJournal(const CreatedKeyJournal&) = delete;
    CreatedKeyJournal& operator=(const CreatedKeyJournal&) = delete;
    ~CreatedKeyJournal() { delete[] Items; }

    // Positions come in increasing order.
    HRESULT Record(int position) noexcept;
    bool Contains(int position) const noexcept;
    void Clear() noexcept { Count = 0; }

private:
    int* Items = nullptr;
    int Count = 0;
    int Capacity = 0;
};
