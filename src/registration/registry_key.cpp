#include "registration/registry_key.h"

#include <memory>
#include <new>

namespace {

constexpr DWORD ValueNameBufferBytes = 4096;

}  // namespace

LONG RegistryKey::Open(HKEY parent, const char* name, REGSAM access) noexcept {
    HKEY handle = nullptr;
    const LONG status = RegOpenKeyExA(parent, name, 0, access, &handle);
    if (status == ERROR_SUCCESS) Replace(handle);
    return status;
}

LONG RegistryKey::Create(HKEY parent, const char* name, bool* created) noexcept {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    const LONG status = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                        &handle, &disposition);
    if (status == ERROR_SUCCESS) Replace(handle);
    *created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return status;
}

LONG RegistryKey::Close() noexcept {
    if (Handle == nullptr) return ERROR_SUCCESS;
    HKEY handle = Handle;
    Handle = nullptr;
    return RegCloseKey(handle);
}

void RegistryKey::Replace(HKEY handle) noexcept {
    Close();
    Handle = handle;
}

// Depth-first; the children are always enumerated at index 0 because each deleted
// child moves the rest up. The name buffer lives on the heap so that a deep tree
// costs little stack.
LONG RegistryKey::DeleteTree(HKEY parent, const char* name) noexcept {
    RegistryKey key;
    LONG status = key.Open(parent, name, KEY_READ | KEY_WRITE);
    if (status != ERROR_SUCCESS) return status;
    std::unique_ptr<char[]> child(new (std::nothrow) char[MaxKeyNameBytes]);
    if (!child) return ERROR_NOT_ENOUGH_MEMORY;
    for (;;) {
        DWORD size = MaxKeyNameBytes;
        FILETIME written;
        status = RegEnumKeyExA(key.Get(), 0, child.get(), &size, nullptr, nullptr, nullptr, &written);
        if (status != ERROR_SUCCESS) break;
        status = DeleteTree(key.Get(), child.get());
        if (status != ERROR_SUCCESS) return status;
    }
    key.Close();
    return RegDeleteKeyA(parent, name);
}

bool KeyHasSubkeys(HKEY key) noexcept {
    if (key == nullptr) return false;
    DWORD subkeys = 0;
    const LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS && subkeys > 0;
}

bool KeyHasNamedValues(HKEY key) noexcept {
    if (key == nullptr) return false;
    DWORD values = 0;
    const LONG status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                         nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS || values == 0) return false;
    if (values >= 2) return true;
    char name[ValueNameBufferBytes];
    DWORD size = ValueNameBufferBytes;
    const LONG read = RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
    // A name too long for the buffer is certainly not the empty default name.
    if (read == ERROR_MORE_DATA) return true;
    return read == ERROR_SUCCESS && name[0] != '\0';
}
