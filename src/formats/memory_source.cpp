#include "formats/memory_source.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "formats/windows_1252.h"

bool MemorySource::GetSize(uint64_t* size, uint32_t* error) noexcept {
    *size = size_;
    *error = 0;
    return true;
}

bool MemorySource::ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept {
    *error = 0;
    *read = offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(size, size_ - offset));
    if (*read > 0) std::memcpy(buffer, bytes_ + offset, *read);
    return true;
}

std::u16string MemorySource::DecodeCodePage(const char* text, size_t size) {
    return DecodeWindows1252(text, size);
}

bool MemorySink::Write(const uint8_t* bytes, size_t size, uint32_t* error) noexcept {
    try {
        Bytes.insert(Bytes.end(), bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        *error = 12;  // ENOMEM, and ERROR_NOT_ENOUGH_MEMORY is 8: the native build's code
        return false;
    }
    return true;
}
