#include "registration/expanded_text.h"

#include <climits>
#include <memory>
#include <new>

#include "registration/ansi_char.h"
#include "support/ansi_conversion.h"

ExpandedText::ExpandedText(ExpandedText&& other) noexcept
    : Count(other.Count), Capacity(other.Capacity), Data(other.Detach()) {}

ExpandedText& ExpandedText::operator=(ExpandedText&& other) noexcept {
    if (this != &other) {
        Reset();
        Count = other.Count;
        Capacity = other.Capacity;
        Data = other.Detach();
    }
    return *this;
}

ExpandedText::~ExpandedText() { Reset(); }

HRESULT ExpandedText::Allocate(int capacity) noexcept {
    Reset();
    // At least one byte, so that doubling always makes room.
    if (capacity < 1) capacity = 1;
    Data = static_cast<char*>(CoTaskMemAlloc(static_cast<SIZE_T>(capacity)));
    if (Data == nullptr) return E_OUTOFMEMORY;
    Capacity = capacity;
    return S_OK;
}

HRESULT ExpandedText::AppendChar(const char* p) noexcept { return AppendBytes(p, AnsiCharLength(p)); }

HRESULT ExpandedText::AppendText(const wchar_t* text) noexcept {
    std::unique_ptr<char[]> ansi;
    const HRESULT converted = ConvertNameToAnsi(text, ansi);
    if (FAILED(converted)) return converted;
    for (const char* p = ansi.get(); *p != '\0'; p = CharNextA(p)) {
        const HRESULT hr = AppendChar(p);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT ExpandedText::Finish() noexcept { return AppendBytes("", 1); }

char* ExpandedText::Detach() noexcept {
    char* data = Data;
    Data = nullptr;
    Count = 0;
    Capacity = 0;
    return data;
}

void ExpandedText::Reset() noexcept { CoTaskMemFree(Detach()); }

HRESULT ExpandedText::AppendBytes(const char* bytes, int length) noexcept {
    const HRESULT hr = Reserve(length);
    if (FAILED(hr)) return hr;
    CopyMemory(Data + Count, bytes, static_cast<size_t>(length));
    Count += length;
    return S_OK;
}

// Doubles the capacity until length more bytes fit.
HRESULT ExpandedText::Reserve(int length) noexcept {
    if (Data == nullptr) return E_OUTOFMEMORY;
    int capacity = Capacity;
    while (capacity - Count < length) {
        if (capacity > INT_MAX / 2) return E_OUTOFMEMORY;
        capacity *= 2;
    }
    if (capacity == Capacity) return S_OK;
    auto* data = static_cast<char*>(CoTaskMemRealloc(Data, static_cast<SIZE_T>(capacity)));
    if (data == nullptr) return E_OUTOFMEMORY;  // the old buffer is still held and freed later
    Data = data;
    Capacity = capacity;
    return S_OK;
}
