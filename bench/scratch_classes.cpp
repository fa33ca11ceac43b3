#include "scratch_classes.h"

#include "resource_ids.h"

#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"

namespace {

size_t CountKeysBelow(HKEY key) {
    size_t count = 0;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        count += 1 + CountKeysBelow(child);
        RegCloseKey(child);
    }
    return count;
}

}  // namespace

ScratchClasses::ScratchClasses() : path_("Software\\TarvikBench\\" + std::to_string(GetCurrentProcessId())) {
    RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\Classes").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes_,
                    nullptr);
}

ScratchClasses::~ScratchClasses() {
    RegCloseKey(classes_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TarvikBench");  // only when no other run uses it
}

size_t ScratchClasses::CountKeys() const { return CountKeysBelow(classes_); }

std::string ShippedScript(HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(TARVIK_LUMEX_REGISTRY_RESOURCE), "REGISTRY");
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    if (loaded == nullptr) return {};
    return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
}

HRESULT RunRegistryScript(const std::string& script, bool registerPass) {
    ReplacementMap map;
    map.Add(L"Module", L"C:\\Program Files\\Tarvik\\tarvik.DLL");
    RegistryScriptParser parser(&map);
    return parser.RunScript(script.c_str(), registerPass);
}
