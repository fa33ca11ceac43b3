// The constant tables of the registry script language: root keys, value types,
// protected key names and keywords. All lookups compare like lstrcmpiA.
#pragma once
#include <windows.h>

struct RootKeyEntry {
    const char* Name;
    HKEY Key;
};

struct ValueTypeEntry {
    const char* Letter;
    DWORD Type;  // REG_SZ, REG_DWORD or REG_BINARY
};

extern const RootKeyEntry RootKeyTable[14];
extern const ValueTypeEntry ValueTypeTable[3];
// Keys shared by every server: never deleted as a whole tree.
extern const char* const ProtectedKeyNames[2];

namespace ScriptKeyword {
inline constexpr char ForceRemove[] = "ForceRemove";
inline constexpr char Delete[] = "Delete";
inline constexpr char NoRemove[] = "NoRemove";
inline constexpr char Val[] = "Val";
}  // namespace ScriptKeyword

// The predefined key of a root name; null when the name is none of the table.
HKEY FindRootKey(const char* name) noexcept;
// The row of a type letter; null when the token is not one of S, D, B.
const ValueTypeEntry* FindValueType(const char* letter) noexcept;
bool IsProtectedKeyName(const char* name) noexcept;
bool IsKeyword(const char* token, const char* keyword) noexcept;
