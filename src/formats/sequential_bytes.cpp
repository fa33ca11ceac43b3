#include "formats/sequential_bytes.h"

#include "formats/little_endian.h"
#include "formats/id3v2/tag_stream.h"

bool SequentialBytes::ReadLittleEndian32(uint32_t* value) {
    uint8_t bytes[4];
    if (Read(bytes, 4) < 4) return false;
    *value = static_cast<uint32_t>(ReadLittleEndian(bytes, 4));
    return true;
}

bool SequentialBytes::ReadBigEndian32(uint32_t* value) {
    uint8_t bytes[4];
    if (Read(bytes, 4) < 4) return false;
    *value = static_cast<uint32_t>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    return true;
}

size_t StreamBytes::Read(uint8_t* out, size_t count) { return stream_.Read(out, count); }
