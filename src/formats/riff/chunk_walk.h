// The chunks of a RIFF (WAV) or IFF (AIFF) file: a four-letter id, a size (little-endian
// in RIFF, big-endian in IFF), the body, and a pad byte after an odd body.  Walked by
// position from their headers, each body clamped to the file, within a fixed count.
#pragma once
#include <cstdint>

#include "formats/file_region.h"

struct Chunk {
    char Id[4] = {};
    uint64_t Start = 0;     // the body's first byte
    uint64_t Size = 0;      // the body's size, up to the end of what holds it
    uint32_t Declared = 0;  // the size the header gives

    bool Is(const char* id) const noexcept;
};

class ChunkWalk {
public:
    ChunkWalk(MediaSource& file, uint64_t begin, uint64_t end, bool bigEndian) noexcept
        : file_(file), next_(begin), end_(end), bigEndian_(bigEndian) {}

    // The next chunk; false at the end, after the last count, or when the system fails a
    // read (Failed(), the error in *error).
    bool Next(Chunk& chunk, uint32_t* error);
    bool Failed() const noexcept { return failed_; }

private:
    MediaSource& file_;
    uint64_t next_;
    uint64_t end_;
    bool bigEndian_;
    int walked_ = 0;
    bool failed_ = false;
    FileRegion header_;
};
