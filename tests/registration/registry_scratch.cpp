#include "registry_scratch.h"

#include <gtest/gtest.h>

#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"
#include "common/source_tree.h"

std::string Ansi(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], n, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(n - 1));
    return ansi;
}

RegistryTree TreeOf(std::initializer_list<TreeEntry> entries) {
    RegistryTree tree;
    tree.AddKey(L"");
    for (const TreeEntry& entry : entries) {
        for (size_t at = entry.Path.find(L'\\'); at != std::wstring::npos; at = entry.Path.find(L'\\', at + 1)) {
            tree.AddKey(entry.Path.substr(0, at));
        }
        tree.AddKey(entry.Path);
        if (entry.Data) tree.AddString(entry.Path, entry.Name, *entry.Data);
    }
    return tree;
}


ScratchRegistry::ScratchRegistry() {
    EXPECT_EQ(keys_.Created(), ERROR_SUCCESS);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, keys_.Classes()), ERROR_SUCCESS);
}

ScratchRegistry::~ScratchRegistry() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (readOnly_ != nullptr) RegCloseKey(readOnly_);
}

void ScratchRegistry::Put(const char* path, const char* valueName, const char* data) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(Classes(), path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    if (data != nullptr) {
        RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                       static_cast<DWORD>(lstrlenA(data) + 1));
    }
    RegCloseKey(key);
}

void ScratchRegistry::PutValue(const wchar_t* path, const wchar_t* valueName, DWORD type,
                               const std::vector<BYTE>& data) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(Classes(), path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, valueName, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
}

void ScratchRegistry::Wipe() const {
    RegDeleteTreeA(keys_.Classes(), nullptr);
    RegDeleteTreeA(keys_.User(), nullptr);
}

void ScratchRegistry::OverrideClassesReadOnly() {
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (keys_.Path() + "\\Classes").c_str(), 0, KEY_READ, &readOnly_),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, readOnly_), ERROR_SUCCESS);
}

HRESULT RunRegistryScript(const char* script, bool registerPass,
                          const std::vector<std::pair<std::wstring, std::wstring>>& extraNames) {
    ReplacementMap map;
    EXPECT_EQ(map.Add(L"Module", ScriptModulePath), S_OK);
    for (const auto& [name, value] : extraNames) EXPECT_EQ(map.Add(name.c_str(), value.c_str()), S_OK);
    RegistryScriptParser parser(&map);
    return parser.RunScript(script, registerPass);
}

const wchar_t ScriptModulePath[] = L"C:\\Program Files\\O''Tarvik\\tarvik.DLL";
const char RegisteredModulePath[] = "C:\\Program Files\\O'Tarvik\\tarvik.DLL";

std::string ShippedScript() {
    const std::string script = ReadSourceFile(L"resources/tarvik.rgs");
    if (script.empty()) ADD_FAILURE() << "cannot read resources/tarvik.rgs";
    return script;
}
