// Test support for the registry script engine: a scratch corner of the real registry,
// snapshots of key trees, and a one-call way to run a script.
#pragma once
#include <windows.h>

#include "common/registry_tree.h"
#include "common/scratch_registry_key.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>


// One key of an expected tree, with a REG_SZ value when data is given ("" for the default).
struct TreeEntry {
    std::wstring Path;
    std::wstring Name = L"";
    std::optional<std::string> Data = std::nullopt;
};

// The root key and the given entries (keys on the way to them included).
RegistryTree TreeOf(std::initializer_list<TreeEntry> entries);

// HKCU\Software\TarvikTest\<unique>, deleted afterwards. Its "Classes" subkey stands in
// for HKEY_CLASSES_ROOT while the object lives; its "User" subkey is for HKCU scripts.
class ScratchRegistry {
public:
    ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;
    ~ScratchRegistry();

    HKEY Classes() const { return keys_.Classes(); }
    const std::string& UniqueName() const { return keys_.UniqueName(); }
    RegistryTree ClassesTree() const { return RegistryTree::Read(keys_.Classes()); }
    RegistryTree UserTree() const { return RegistryTree::Read(keys_.User()); }

    // Makes the key under Classes (with its parents) and, given data, writes a REG_SZ value
    // (the default value for a null name).
    void Put(const char* path, const char* valueName = nullptr, const char* data = nullptr) const;
    // Makes the key under Classes and writes a value of any type through the wide call, so
    // that names and data outside the code page can be given (a null name: the default value).
    void PutValue(const wchar_t* path, const wchar_t* valueName, DWORD type, const std::vector<BYTE>& data) const;
    // Empties Classes and User.
    void Wipe() const;
    // HKEY_CLASSES_ROOT becomes a read-only handle of Classes: writes to the root are refused.
    void OverrideClassesReadOnly();

private:
    ScratchRegistryKey keys_{"TarvikTest"};
    HKEY readOnly_ = nullptr;
};

// Runs one pass with "Module" (and any extra names) in the replacement map.
HRESULT RunRegistryScript(const char* script, bool registerPass,
                          const std::vector<std::pair<std::wstring, std::wstring>>& extraNames = {});

// The module path handed to scripts, as the registration code passes it (quotes doubled),
// and as it stands in the registry.
extern const wchar_t ScriptModulePath[];
extern const char RegisteredModulePath[];

// The component's own registry script, as resources/tarvik.rgs holds it.
std::string ShippedScript();

// Wide to ANSI in the system code page.
std::string Ansi(const std::wstring& text);
