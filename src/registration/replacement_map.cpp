#include "registration/replacement_map.h"

#include <climits>
#include <memory>
#include <new>

#include "support/ansi_conversion.h"

namespace {

constexpr int InitialCapacity = 10;

wchar_t* CopyToTaskMemory(const wchar_t* text) noexcept {
    const size_t bytes = (static_cast<size_t>(lstrlenW(text)) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (copy != nullptr) CopyMemory(copy, text, bytes);
    return copy;
}

// Compares in the ANSI form, as the script spells the name.
bool NameMatches(const wchar_t* wideName, const char* name) noexcept {
    std::unique_ptr<char[]> ansi;
    return SUCCEEDED(ConvertNameToAnsi(wideName, ansi)) && lstrcmpiA(ansi.get(), name) == 0;
}

}  // namespace

ReplacementPair::~ReplacementPair() {
    CoTaskMemFree(Name);
    CoTaskMemFree(Value);
}

ReplacementMap::ReplacementMap() noexcept {
    Entries = new (std::nothrow) ReplacementPair*[InitialCapacity];
    if (Entries != nullptr) Capacity = InitialCapacity;  // else Add retries the allocation
}

ReplacementMap::~ReplacementMap() {
    Clear();
    delete[] Entries;
}

HRESULT ReplacementMap::Add(const wchar_t* name, const wchar_t* value) noexcept {
    if (name == nullptr || value == nullptr) return E_INVALIDARG;
    if (Count == Capacity) {
        const HRESULT hr = Grow();
        if (FAILED(hr)) return hr;
    }
    std::unique_ptr<ReplacementPair> pair(new (std::nothrow) ReplacementPair);
    if (!pair) return E_OUTOFMEMORY;
    pair->Name = CopyToTaskMemory(name);
    pair->Value = CopyToTaskMemory(value);
    if (pair->Name == nullptr || pair->Value == nullptr) return E_OUTOFMEMORY;
    Entries[Count++] = pair.release();
    return S_OK;
}

// Doubles the array; on failure the old array and every pair in it stay as they were.
HRESULT ReplacementMap::Grow() noexcept {
    if (Capacity > INT_MAX / 2) return E_OUTOFMEMORY;
    const int capacity = Capacity == 0 ? InitialCapacity : Capacity * 2;
    auto* entries = new (std::nothrow) ReplacementPair*[static_cast<size_t>(capacity)];
    if (entries == nullptr) return E_OUTOFMEMORY;
    for (int i = 0; i < Count; ++i) entries[i] = Entries[i];
    delete[] Entries;
    Entries = entries;
    Capacity = capacity;
    return S_OK;
}

const wchar_t* ReplacementMap::Find(const char* name) const noexcept {
    if (name == nullptr) return nullptr;
    for (int i = 0; i < Count; ++i) {
        if (NameMatches(Entries[i]->Name, name)) return Entries[i]->Value;
    }
    return nullptr;
}

HRESULT ReplacementMap::Clear() noexcept {
    for (int i = 0; i < Count; ++i) delete Entries[i];
    Count = 0;
    return S_OK;
}
