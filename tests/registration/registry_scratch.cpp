#include "registry_scratch.h"

#include <gtest/gtest.h>

#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"

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
    static LONG counter = 0;
    unique_ = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter));
    path_ = "Software\\TarvikTest\\" + unique_;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\Classes").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &classes_, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &user_, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_), ERROR_SUCCESS);
}

ScratchRegistry::~ScratchRegistry() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (readOnly_ != nullptr) RegCloseKey(readOnly_);
    RegCloseKey(classes_);
    RegCloseKey(user_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TarvikTest");  // only when no other test uses it
}

void ScratchRegistry::Put(const char* path, const char* valueName, const char* data) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(classes_, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    if (data != nullptr) {
        RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                       static_cast<DWORD>(lstrlenA(data) + 1));
    }
    RegCloseKey(key);
}

void ScratchRegistry::Wipe() const {
    RegDeleteTreeA(classes_, nullptr);
    RegDeleteTreeA(user_, nullptr);
}

void ScratchRegistry::OverrideClassesReadOnly() {
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (path_ + "\\Classes").c_str(), 0, KEY_READ, &readOnly_),
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

const char WorkedExampleScript[] =
    "HKCR\r\n"
    "{\r\n"
    "\tTarvik.lumex.1 = s 'lumex Class'\r\n"
    "\t{\r\n"
    "\t\tCLSID = s '{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}'\r\n"
    "\t}\r\n"
    "\tTarvik.lumex = s 'lumex Class'\r\n"
    "\t{\r\n"
    "\t\tCLSID = s '{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}'\r\n"
    "\t\tCurVer = s 'Tarvik.lumex.1'\r\n"
    "\t}\r\n"
    "\tNoRemove CLSID\r\n"
    "\t{\r\n"
    "\t\tForceRemove {5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55} = s 'lumex Class'\r\n"
    "\t\t{\r\n"
    "\t\t\tProgID = s 'Tarvik.lumex.1'\r\n"
    "\t\t\tVersionIndependentProgID = s 'Tarvik.lumex'\r\n"
    "\t\t\tForceRemove 'Programmable'\r\n"
    "\t\t\tInprocServer32 = s '%MODULE%'\r\n"
    "\t\t\t{\r\n"
    "\t\t\t\tval ThreadingModel = s 'Apartment'\r\n"
    "\t\t\t}\r\n"
    "\t\t\tForceRemove 'Control'\r\n"
    "\t\t\tForceRemove 'Insertable'\r\n"
    "\t\t\tForceRemove 'ToolboxBitmap32' = s '%MODULE%, 101'\r\n"
    "\t\t\t'MiscStatus' = s '0'\r\n"
    "\t\t\t{\r\n"
    "\t\t\t    '1' = s '131473'\r\n"
    "\t\t\t}\r\n"
    "\t\t\t'TypeLib' = s '{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}'\r\n"
    "\t\t\t'Version' = s '1.0'\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}\r\n";
