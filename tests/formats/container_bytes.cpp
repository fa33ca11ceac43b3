#include "container_bytes.h"

#include <algorithm>

Bytes LittleEndian(uint64_t value, int count) {
    Bytes bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    return bytes;
}

Bytes FlacBlock(unsigned char type, const Bytes& body, bool last) {
    return Bytes{static_cast<unsigned char>(type | (last ? 0x80 : 0))} + BigEndian(static_cast<uint32_t>(body.size()), 3) +
           body;
}

Bytes FlacStreamInfo(uint32_t samples) {
    return Bytes(10, 0) + Bytes{0x0A, 0xC4, 0x42, 0xF0} + BigEndian(samples, 4) + Bytes(16, 0);
}

Bytes FlacPicture(uint32_t type, const Bytes& image) {
    return BigEndian(type, 4) + BigEndian(9, 4) + BytesOf("image/png") + BigEndian(0, 4) + Bytes(16, 0) +
           BigEndian(static_cast<uint32_t>(image.size()), 4) + image;
}

Bytes VorbisComments(const std::vector<std::string>& fields) {
    Bytes bytes = LittleEndian(6, 4) + BytesOf("vendor") + LittleEndian(fields.size(), 4);
    for (const std::string& field : fields) bytes = bytes + LittleEndian(field.size(), 4) + BytesOf(field);
    return bytes;
}

namespace {

Bytes OggPageHeader(unsigned char flags, uint64_t granule, const Bytes& lacing) {
    return BytesOf("OggS") + Bytes{0, flags} + LittleEndian(granule, 8) + LittleEndian(7, 4) + LittleEndian(0, 4) +
           LittleEndian(0, 4) + Bytes{static_cast<unsigned char>(lacing.size())} + lacing;
}

}  // namespace

Bytes OggPage(unsigned char flags, uint64_t granule, const std::vector<Bytes>& packets) {
    Bytes lacing, body;
    for (const Bytes& packet : packets) {
        lacing.push_back(static_cast<unsigned char>(packet.size()));
        body = body + packet;
    }
    return OggPageHeader(flags, granule, lacing) + body;
}

Bytes OggPacketPages(unsigned char firstFlags, const Bytes& packet) {
    constexpr size_t kFullPage = 255 * 255;
    Bytes pages;
    for (size_t at = 0;; at += kFullPage) {
        const size_t size = std::min(kFullPage, packet.size() - at);
        Bytes lacing(size / 255, 255);
        if (size < kFullPage) lacing.push_back(static_cast<unsigned char>(size % 255));
        const unsigned char flags = at == 0 ? firstFlags : 1;
        pages = pages + OggPageHeader(flags, ~0ull, lacing) + Bytes(packet.begin() + at, packet.begin() + at + size);
        if (size < kFullPage) return pages;
    }
}

Bytes RiffChunk(const std::string& id, const Bytes& body, bool bigEndian) {
    const uint32_t size = static_cast<uint32_t>(body.size());
    return BytesOf(id) + (bigEndian ? BigEndian(size, 4) : LittleEndian(size, 4)) + body +
           (size % 2 ? Bytes{0} : Bytes{});
}

Bytes Mp4Box(const std::string& type, const Bytes& body) {
    return BigEndian(static_cast<uint32_t>(body.size() + 8), 4) + BytesOf(type) + body;
}

Bytes AsfObject(const Bytes& guid, const Bytes& body) { return guid + LittleEndian(body.size() + 24, 8) + body; }

namespace {

Bytes GuidBytes(std::initializer_list<unsigned char> bytes) { return Bytes(bytes); }

}  // namespace

const Bytes kAsfContentDescription =
    GuidBytes({0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
const Bytes kAsfHeaderExtension =
    GuidBytes({0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11, 0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
const Bytes kAsfMetadataLibrary =
    GuidBytes({0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49, 0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54});

Bytes Utf16z(const std::string& text) {
    Bytes bytes;
    for (char c : text) bytes = bytes + Bytes{static_cast<unsigned char>(c), 0};
    return bytes + Bytes{0, 0};
}

Bytes AsfMetadataRecord(const std::string& name, uint16_t type, const Bytes& value) {
    const Bytes nameBytes = Utf16z(name);
    return Bytes(4, 0) + LittleEndian(nameBytes.size(), 2) + LittleEndian(type, 2) + LittleEndian(value.size(), 4) +
           nameBytes + value;
}

Bytes AsfFile(const std::vector<Bytes>& objects) {
    static const Bytes kHeader = GuidBytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA,
                                            0x00, 0x62, 0xCE, 0x6C});
    Bytes body;
    for (const Bytes& object : objects) body = body + object;
    return kHeader + LittleEndian(body.size() + 30, 8) + LittleEndian(objects.size(), 4) + Bytes{1, 2} + body +
           Bytes(50, 0);
}
