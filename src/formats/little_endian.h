// Numbers stored least significant byte first, as RIFF, Ogg, Vorbis comments and ASF keep
// them (ID3v2, FLAC and MP4 use ReadBigEndian of id3v2_header.h).
#pragma once
#include <cstddef>
#include <cstdint>

// The count (up to 8) bytes at bytes as one number.
inline uint64_t ReadLittleEndian(const uint8_t* bytes, size_t count) noexcept {
    uint64_t value = 0;
    for (size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}
