// A MediaSource over bytes in memory, and a ByteSink that gathers bytes in memory: what the
// native tests, the fuzz target and the benchmarks read and copy to.  Code-page text is
// read as Windows-1252, the code page of most ID3v1 tags.
#pragma once
#include <vector>

#include "formats/media_source.h"

class MemorySource final : public MediaSource {
public:
    // The bytes are not copied: they must outlive the source.
    MemorySource(const uint8_t* bytes, size_t size) noexcept : bytes_(bytes), size_(size) {}

    bool GetSize(uint64_t* size, uint32_t* error) noexcept override;
    bool ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept override;
    std::u16string DecodeCodePage(const char* text, size_t size) override;

private:
    const uint8_t* bytes_;
    size_t size_;
};

class MemorySink final : public ByteSink {
public:
    bool Write(const uint8_t* bytes, size_t size, uint32_t* error) noexcept override;

    std::vector<uint8_t> Bytes;
};
