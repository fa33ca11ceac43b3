// A key tree of the real registry read into memory, for comparing states.
#pragma once
#include <windows.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Every key of a tree (by path relative to its top, "" for the top) with its values
// (by name, "" for the default value) as type and bytes.
struct RegistryTree {
    using Value = std::pair<DWORD, std::vector<BYTE>>;
    std::map<std::wstring, std::map<std::wstring, Value>> Keys;

    // The tree below top, its subkeys opened in the given registry view (0: the process's own).
    static RegistryTree Read(HKEY top, REGSAM view = 0);
    void AddKey(const std::wstring& path) { Keys[path]; }
    void AddString(const std::wstring& path, const std::wstring& name, const std::string& ansiText);
    // One line per key and value, for failure messages.
    std::string Format() const;
    bool operator==(const RegistryTree& other) const { return Keys == other.Keys; }
    bool operator!=(const RegistryTree& other) const { return Keys != other.Keys; }
};

inline void PrintTo(const RegistryTree& tree, std::ostream* out) { *out << "\n" << tree.Format(); }
