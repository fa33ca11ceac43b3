#include "common/container_bytes.h"

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

// The page with its checksum (CRC-32 of polynomial 0x04C11DB7 from 0, the field as zero),
// as the writer needs a page it rewrites to have.
Bytes Checksummed(Bytes page) {
    uint32_t crc = 0;
    for (unsigned char byte : page) {
        crc ^= static_cast<uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc & 0x80000000u) != 0 ? 0x04C11DB7u : 0);
    }
    for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<unsigned char>(crc >> (8 * i));
    return page;
}

}  // namespace

Bytes OggPage(unsigned char flags, uint64_t granule, const std::vector<Bytes>& packets) {
    Bytes lacing, body;
    for (const Bytes& packet : packets) {
        lacing.push_back(static_cast<unsigned char>(packet.size()));
        body = body + packet;
    }
    return Checksummed(OggPageHeader(flags, granule, lacing) + body);
}

Bytes OggPacketPages(unsigned char firstFlags, const Bytes& packet) {
    constexpr size_t kFullPage = 255 * 255;
    Bytes pages;
    for (size_t at = 0;; at += kFullPage) {
        const size_t size = std::min(kFullPage, packet.size() - at);
        Bytes lacing(size / 255, 255);
        if (size < kFullPage) lacing.push_back(static_cast<unsigned char>(size % 255));
        const unsigned char flags = at == 0 ? firstFlags : 1;
        pages = pages + Checksummed(OggPageHeader(flags, ~0ull, lacing) +
                                    Bytes(packet.begin() + at, packet.begin() + at + size));
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

std::string Base64Of(const Bytes& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const uint32_t group = bytes[at] << 16 | (at + 1 < bytes.size() ? bytes[at + 1] << 8 : 0) |
                               (at + 2 < bytes.size() ? bytes[at + 2] : 0);
        for (size_t i = 0; i < 4; ++i) text.push_back(i <= bytes.size() - at ? kDigits[(group >> (18 - 6 * i)) & 63] : '=');
    }
    return text;
}

std::vector<std::pair<const char*, Bytes>> FilesOfEveryFormat(const Bytes& image, const std::string& title) {
    const Bytes id3 = Tag(3, TextFrame(3, "TIT2", title) + Frame(3, "APIC", PictureBody(3, 3, "", image)) +
                                 TextFrame(3, "TALB", "After"));
    const Bytes waveFormat = LittleEndian(1, 2) + LittleEndian(2, 2) + LittleEndian(44100, 4) +
                             LittleEndian(44100 * 4, 4) + LittleEndian(4, 2) + LittleEndian(16, 2);
    const Bytes wav = RiffChunk("fmt ", waveFormat) + RiffChunk("id3 ", id3) + RiffChunk("data", Bytes(4000, 0));
    const Bytes common = BigEndian(2, 2) + BigEndian(1000, 4) + BigEndian(16, 2) + Bytes{0x40, 0x0E, 0xAC, 0x44} + Bytes(6, 0);
    const Bytes aiff = RiffChunk("COMM", common, true) + RiffChunk("ID3 ", id3, true) + RiffChunk("SSND", Bytes(4008, 0), true);
    const Bytes comments = VorbisComments({"TITLE=" + title, "METADATA_BLOCK_PICTURE=" + Base64Of(FlacPicture(3, image)),
                                           "ALBUM=After"});
    const Bytes opusHead = BytesOf("OpusHead") + Bytes{1, 2, 0x38, 0x01} + LittleEndian(48000, 4) + Bytes(3, 0);
    auto item = [](const std::string& type, uint32_t dataType, const Bytes& value) {
        return Mp4Box(type, Mp4Box("data", BigEndian(dataType, 4) + Bytes(4, 0) + value));
    };
    const Bytes ilst = Mp4Box("ilst", item("\xA9nam", 1, BytesOf(title)) + item("covr", 14, image) +
                                          item("\xA9" "alb", 1, BytesOf("After")));
    const Bytes pictureValue = Bytes{3} + LittleEndian(image.size(), 4) + Utf16z("p") + Utf16z("") + image;
    const Bytes library = LittleEndian(2, 2) + AsfMetadataRecord("WM/Picture", 1, pictureValue) +
                          AsfMetadataRecord("WM/AlbumTitle", 0, Utf16z("After"));
    const Bytes description = LittleEndian(Utf16z(title).size(), 2) + Bytes(8, 0) + Utf16z(title);
    const Bytes asf = AsfFile({AsfObject(kAsfContentDescription, description),
                               AsfObject(kAsfHeaderExtension, Bytes(22, 0) + AsfObject(kAsfMetadataLibrary, library))});
    return {{"FLAC", BytesOf("fLaC") + FlacBlock(0, FlacStreamInfo(44100)) + FlacBlock(6, FlacPicture(3, image)) +
                         FlacBlock(4, VorbisComments({"TITLE=" + title, "ALBUM=After"}), true) + Bytes(4000, 0)},
            {"Opus", OggPage(2, 0, {opusHead}) + OggPacketPages(0, BytesOf("OpusTags") + comments) +
                         OggPage(4, 48312, {Bytes(100, 0)})},
            {"WAV", BytesOf("RIFF") + LittleEndian(wav.size() + 4, 4) + BytesOf("WAVE") + wav},
            {"AIFF", BytesOf("FORM") + BigEndian(static_cast<uint32_t>(aiff.size() + 4), 4) + BytesOf("AIFF") + aiff},
            {"MP4", Mp4Box("ftyp", BytesOf("M4A ")) + Mp4Box("moov", Mp4Box("udta", Mp4Box("meta", Bytes(4, 0) + ilst)))},
            {"WMA", asf}};
}

