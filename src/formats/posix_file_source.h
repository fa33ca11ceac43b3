// A MediaSource over a POSIX file descriptor, and a ByteSink that writes to one: the native
// build's files.  Errors are errno values.  Code-page text is read as Windows-1252.
#pragma once
#include "formats/media_source.h"

class PosixFileSource final : public MediaSource {
public:
    // The descriptor stays the caller's.
    explicit PosixFileSource(int descriptor) noexcept : descriptor_(descriptor) {}

    bool GetSize(uint64_t* size, uint32_t* error) noexcept override;
    bool ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept override;
    std::u16string DecodeCodePage(const char* text, size_t size) override;

private:
    int descriptor_;
};

class PosixFileSink final : public ByteSink {
public:
    explicit PosixFileSink(int descriptor) noexcept : descriptor_(descriptor) {}

    bool Write(const uint8_t* bytes, size_t size, uint32_t* error) noexcept override;

private:
    int descriptor_;
};
