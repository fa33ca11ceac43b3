// Every key and value below one registry key, read into memory, so that two states of
// the registry can be compared.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

// The registry compares names without regard to case; so do the snapshots.
struct CaseInsensitiveLess {
    bool operator()(const std::wstring& left, const std::wstring& right) const {
        return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                    static_cast<int>(right.size()), TRUE) == CSTR_LESS_THAN;
    }
};

struct RegistryData {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Bytes;
    bool operator==(const RegistryData& other) const { return Type == other.Type && Bytes == other.Bytes; }
    bool operator!=(const RegistryData& other) const { return !(*this == other); }
};

using RegistryValues = std::map<std::wstring, RegistryData, CaseInsensitiveLess>;  // "" is the default value

// Keys by their path below the top ("" is the top itself), each with its values.
struct RegistrySnapshot {
    std::map<std::wstring, RegistryValues, CaseInsensitiveLess> Keys;

    // Everything below `top` but its direct subkey `skipped` (when given).
    static RegistrySnapshot Read(HKEY top, const wchar_t* skipped = nullptr);
    bool Has(const std::wstring& path) const { return Keys.count(path) != 0; }
    bool HasChildren(const std::wstring& path) const;
};

// The folder part of a key path: "" for a key directly below the top.
std::wstring ParentPath(const std::wstring& path);

// The text of a REG_SZ or REG_EXPAND_SZ value, without its terminating zero.
std::wstring TextOf(const RegistryData& data);
