#include "formats/riff/chunk_walk.h"

#include <algorithm>
#include <cstring>

namespace {

// A file of empty chunks ends here.
constexpr int kMostChunks = 4096;

}  // namespace

bool Chunk::Is(const char* id) const noexcept { return std::memcmp(Id, id, 4) == 0; }

bool ChunkWalk::Next(Chunk& chunk, uint32_t* error) {
    if (++walked_ > kMostChunks || next_ + 8 > end_) return false;
    if (!ReadRegion(file_, next_, 8, header_, error)) {
        failed_ = true;
        return false;
    }
    if (header_.Bytes.size() < 8) return false;
    const uint8_t* bytes = header_.Bytes.data();
    std::memcpy(chunk.Id, bytes, 4);
    chunk.Declared = bigEndian_ ? static_cast<uint32_t>(bytes[4]) << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7]
                                : bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<uint32_t>(bytes[7]) << 24;
    chunk.Start = next_ + 8;
    chunk.Size = std::min<uint64_t>(chunk.Declared, end_ - chunk.Start);
    next_ = chunk.Start + chunk.Declared + (chunk.Declared & 1);
    return true;
}
