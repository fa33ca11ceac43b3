#include "shipped_script.h"

#include "resource_ids.h"

#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"

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
