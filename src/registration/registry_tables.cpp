#include "registration/registry_tables.h"

// Short names first; the order of HKDD and HKCC is deliberate.
const RootKeyEntry RootKeyTable[14] = {
    {"HKCR", HKEY_CLASSES_ROOT},
    {"HKCU", HKEY_CURRENT_USER},
    {"HKLM", HKEY_LOCAL_MACHINE},
    {"HKU", HKEY_USERS},
    {"HKPD", HKEY_PERFORMANCE_DATA},
    {"HKDD", HKEY_DYN_DATA},
    {"HKCC", HKEY_CURRENT_CONFIG},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
    {"HKEY_DYN_DATA", HKEY_DYN_DATA},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

const ValueTypeEntry ValueTypeTable[3] = {
    {"S", REG_SZ},
    {"D", REG_DWORD},
    {"B", REG_BINARY},
};

const char* const ProtectedKeyNames[2] = {"CLSID", "TYPELIB"};

HKEY FindRootKey(const char* name) noexcept {
    for (const RootKeyEntry& entry : RootKeyTable) {
        if (lstrcmpiA(name, entry.Name) == 0) return entry.Key;
    }
    return nullptr;
}

const ValueTypeEntry* FindValueType(const char* letter) noexcept {
    for (const ValueTypeEntry& entry : ValueTypeTable) {
        if (lstrcmpiA(letter, entry.Letter) == 0) return &entry;
    }
    return nullptr;
}

bool IsProtectedKeyName(const char* name) noexcept {
    for (const char* protectedName : ProtectedKeyNames) {
        if (lstrcmpiA(name, protectedName) == 0) return true;
    }
    return false;
}

bool IsKeyword(const char* token, const char* keyword) noexcept { return lstrcmpiA(token, keyword) == 0; }
