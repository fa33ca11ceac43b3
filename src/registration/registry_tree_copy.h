// A copy in memory of a registry key with everything below it, taken before the key is
// deleted so that the deletion can be taken back.
#pragma once
#include <windows.h>

#include "support/byte_buffer.h"

class RegistryTreeCopy {
public:
    RegistryTreeCopy() noexcept = default;
    RegistryTreeCopy(const RegistryTreeCopy&) = delete;
    RegistryTreeCopy& operator=(const RegistryTreeCopy&) = delete;

    // Copies parent\name with all its subkeys and values. S_FALSE, with nothing held, when
    // the key cannot be opened for reading (then it cannot be deleted either); an error
    // when a part of the tree cannot be read.
    HRESULT Read(HKEY parent, const char* name) noexcept;
    // Creates parent\name again with what was copied; keys that exist are reused and
    // values overwritten. Goes on past a failure and returns the first one.
    LONG Restore(HKEY parent, const char* name) const noexcept;
    bool Empty() const noexcept { return Records.Size() == 0; }

private:
    HRESULT ReadKey(HKEY key, ByteBuffer& path) noexcept;
    HRESULT ReadValues(HKEY key, DWORD count, DWORD longestName, DWORD largestData) noexcept;
    HRESULT ReadSubkeys(HKEY key, ByteBuffer& path, DWORD count, DWORD longestName) noexcept;

    // One record per key, parents first, each followed by one record per value.
    ByteBuffer Records;
};
