#include "registration/created_key_journal.h"

#include <climits>
#include <new>

HRESULT CreatedKeyJournal::Record(const char* path) noexcept {
    const int size = lstrlenA(path) + 1;
    if (size > INT_MAX / 2 - Length) return E_OUTOFMEMORY;
    if (Length + size > Capacity) {
        int capacity = Capacity == 0 ? 1024 : Capacity;
        while (capacity < Length + size) capacity *= 2;
        char* paths = new (std::nothrow) char[static_cast<size_t>(capacity)];
        if (paths == nullptr) return E_OUTOFMEMORY;
        if (Length > 0) CopyMemory(paths, Paths, static_cast<size_t>(Length));
        delete[] Paths;
        Paths = paths;
        Capacity = capacity;
    }
    CopyMemory(Paths + Length, path, static_cast<size_t>(size));
    Length += size;
    return S_OK;
}

bool CreatedKeyJournal::Contains(const char* path) const noexcept {
    for (int at = 0; at < Length; at += lstrlenA(Paths + at) + 1) {
        if (lstrcmpiA(Paths + at, path) == 0) return true;
    }
    return false;
}
