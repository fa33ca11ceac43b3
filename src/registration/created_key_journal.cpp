#include "registration/created_key_journal.h"

#include <algorithm>
#include <climits>
#include <new>

HRESULT CreatedKeyJournal::Record(int position) noexcept {
    if (Count == Capacity) {
        if (Capacity > INT_MAX / 2) return E_OUTOFMEMORY;
        const int capacity = Capacity == 0 ? 16 : Capacity * 2;
        int* items = new (std::nothrow) int[static_cast<size_t>(capacity)];
        if (items == nullptr) return E_OUTOFMEMORY;
        std::copy(Items, Items + Count, items);
        delete[] Items;
        Items = items;
        Capacity = capacity;
    }
    Items[Count++] = position;
    return S_OK;
}

bool CreatedKeyJournal::Contains(int position) const noexcept {
    return std::binary_search(Items, Items + Count, position);
}
