// The format readers' view of a Windows file: its bytes through a file handle, ID3v1 text
// through the system code page; and a file handle that a picture is copied into.
#pragma once
#include <windows.h>

#include "formats/media_source.h"

class DiskFileSource final : public MediaSource {
public:
    // The handle stays the caller's; it must be open for reading.
    explicit DiskFileSource(HANDLE file) noexcept : file_(file) {}

    bool GetSize(uint64_t* size, uint32_t* error) noexcept override;
    bool ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept override;
    std::u16string DecodeCodePage(const char* text, size_t size) override;

private:
    HANDLE file_;
};

class DiskFileSink final : public ByteSink {
public:
    explicit DiskFileSink(HANDLE file) noexcept : file_(file) {}

    bool Write(const uint8_t* bytes, size_t size, uint32_t* error) noexcept override;

private:
    HANDLE file_;
};
