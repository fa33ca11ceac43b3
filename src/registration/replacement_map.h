// The names a registry script may use between percent signs, and their values.
#pragma once
#include <windows.h>
#include <objbase.h>

// One replacement. Both strings are private copies in COM task memory.
struct ReplacementPair {
    ReplacementPair() noexcept = default;
    ReplacementPair(const ReplacementPair&) = delete;
    ReplacementPair& operator=(const ReplacementPair&) = delete;
    ~ReplacementPair();

    wchar_t* Name = nullptr;   // compared case-insensitively, in its ANSI form
    wchar_t* Value = nullptr;  // the text that stands in for %Name%
};

// A growable array of pairs; owns the pairs and their strings.
class ReplacementMap {
public:
    ReplacementMap() noexcept;  // room for 10 pairs
    ReplacementMap(const ReplacementMap&) = delete;
    ReplacementMap& operator=(const ReplacementMap&) = delete;
    ~ReplacementMap();

    // Names are not checked for duplicates; the first one added wins in Find.
    HRESULT Add(const wchar_t* name, const wchar_t* value) noexcept;
    // The value of the first pair whose name equals the given ANSI name (lstrcmpiA); null if none.
    const wchar_t* Find(const char* name) const noexcept;
    // Frees every pair; the map stays usable.
    HRESULT Clear() noexcept;
    int Size() const noexcept { return Count; }

private:
    HRESULT Grow() noexcept;

    ReplacementPair** Entries = nullptr;
    int Count = 0;
    int Capacity = 0;
};
