#include "formats/id3v2/id3v2_header.h"

#include <cstring>

namespace {

bool ParseMarked(const uint8_t* bytes, const char* marker, Id3v2Header& header) noexcept {
    if (std::memcmp(bytes, marker, 3) != 0) return false;
    // Version and revision are never 0xFF.
    if (bytes[3] == 0xFF || bytes[4] == 0xFF) return false;
    uint32_t size = 0;
    if (!ReadSyncsafe(bytes + 6, &size)) return false;
    header.Version = bytes[3];
    header.Flags = bytes[5];
    header.Size = size;
    return true;
}

}  // namespace

bool ReadSyncsafe(const uint8_t* bytes, uint32_t* value) noexcept {
    *value = 0;
    for (int i = 0; i < 4; ++i) {
        if (bytes[i] & 0x80) return false;
        *value = (*value << 7) | bytes[i];
    }
    return true;
}

uint32_t ReadBigEndian(const uint8_t* bytes, int count) noexcept {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

bool ParseId3v2Header(const uint8_t* bytes, Id3v2Header& header) noexcept { return ParseMarked(bytes, "ID3", header); }

bool ParseId3v2Footer(const uint8_t* bytes, Id3v2Header& header) noexcept {
    return ParseMarked(bytes, "3DI", header) && header.Version == 4;
}
