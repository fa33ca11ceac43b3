// The boxes of an MP4 file: a 32-bit size (1: a 64-bit size follows the type, 0: to the end
// of what holds it), a four-letter type and the body.  Their bytes are read through a
// window of the file kept in memory, so that walking a box tree costs few reads, and the
// walk stops at a fixed count of boxes.
#pragma once
#include <cstdint>

#include "formats/file_region.h"

struct Box {
    char Type[4] = {};
    uint64_t Start = 0;  // the body's first byte
    uint64_t End = 0;    // past the body, within what holds it

    bool Is(const char* type) const noexcept;
    uint64_t Size() const noexcept { return End - Start; }
};

class BoxReader {
public:
    BoxReader(MediaSource& file, uint64_t fileSize) noexcept : file_(file), fileSize_(fileSize) {}
    BoxReader(const BoxReader&) = delete;
    BoxReader& operator=(const BoxReader&) = delete;

    // The count bytes at offset (at most kLargestRead), read with the window around them
    // where they are not at hand; null where the file ends first or the system fails.
    static constexpr size_t kLargestRead = 1024 * 1024;
    const uint8_t* BytesAt(uint64_t offset, size_t count);

    // The box whose header is at *at, within [*at, end); *at moves past it.  False at the
    // end, at a broken header, or after the last box the walk allows.
    bool NextBox(uint64_t* at, uint64_t end, Box& box);

    uint64_t FileSize() const noexcept { return fileSize_; }
    bool Failed() const noexcept { return failed_; }
    uint32_t Error() const noexcept { return error_; }

private:
    MediaSource& file_;
    uint64_t fileSize_;
    FileRegion window_;
    int walked_ = 0;
    bool failed_ = false;
    uint32_t error_ = 0;
};

uint64_t ReadBigEndian64(const uint8_t* bytes) noexcept;
