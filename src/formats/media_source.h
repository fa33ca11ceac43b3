// What the format readers need of the system, and no more: a file's size, its bytes at an
// offset, the system code page's reading of ID3v1 text, and somewhere to copy a picture to.
// The Windows build reads through a file handle (where the TagFile class opens its files);
// the native build reads memory or a POSIX file.  Errors are the system's own codes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class MediaSource {
public:
    virtual ~MediaSource() = default;

    // The size in bytes; false, with the system's error in *error, when it cannot be had.
    virtual bool GetSize(uint64_t* size, uint32_t* error) noexcept = 0;
    // Up to size bytes at offset; *read is what arrived (fewer at the end of the file).
    // False, with the system's error in *error, only when the system fails the read.
    virtual bool ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept = 0;
    // NUL-free text in the system's code page as the system reads it; "" when it cannot.
    virtual std::u16string DecodeCodePage(const char* text, size_t size) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;

    // All size bytes, or false with the system's error in *error.
    virtual bool Write(const uint8_t* bytes, size_t size, uint32_t* error) noexcept = 0;
};
