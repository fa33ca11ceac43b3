// Owner of at most one open registry key, and the questions the script engine asks of keys.
#pragma once
#include <windows.h>

// Room for any key name in the ANSI form of any code page: 255 UTF-16 units of at
// most 3 bytes each, and the NUL.
constexpr int MaxKeyNameBytes = 768;

class RegistryKey {
public:
    RegistryKey() noexcept = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    HKEY Get() const noexcept { return Handle; }
    // RegOpenKeyExA; the held key is replaced only when the open succeeds.
    LONG Open(HKEY parent, const char* name, REGSAM access) noexcept;
    // RegCreateKeyExA with full access; the held key is replaced only on success.
    // created tells whether the key is new.
    LONG Create(HKEY parent, const char* name, bool* created) noexcept;
    LONG Close() noexcept;
    // Takes over an open handle, closing the one held.
    void Adopt(HKEY handle) noexcept { Replace(handle); }

    // Deletes the named subkey of parent with all its subkeys; the registry status.
    static LONG DeleteTree(HKEY parent, const char* name) noexcept;

private:
    void Replace(HKEY handle) noexcept;

    HKEY Handle = nullptr;
};

// False also when the key is null or cannot be queried.
bool KeyHasSubkeys(HKEY key) noexcept;
// True when the key holds a value other than its unnamed default value.
bool KeyHasNamedValues(HKEY key) noexcept;
