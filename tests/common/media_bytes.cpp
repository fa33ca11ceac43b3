#include "common/media_bytes.h"

#include <algorithm>

namespace {

void PutText(Bytes& tag, size_t offset, size_t width, const std::string& text) {
    std::copy_n(text.begin(), std::min(width, text.size()), tag.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

Bytes MakeTag(const std::string& title, const std::string& artist, const std::string& album, const std::string& year,
              const std::string& comment, unsigned char genre) {
    Bytes tag(128, 0);
    PutText(tag, 0, 3, "TAG");
    PutText(tag, 3, 30, title);
    PutText(tag, 33, 30, artist);
    PutText(tag, 63, 30, album);
    PutText(tag, 93, 4, year);
    PutText(tag, 97, 30, comment);
    tag[127] = genre;
    return tag;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Syncsafe(uint32_t value) {
    return {static_cast<unsigned char>((value >> 21) & 0x7F), static_cast<unsigned char>((value >> 14) & 0x7F),
            static_cast<unsigned char>((value >> 7) & 0x7F), static_cast<unsigned char>(value & 0x7F)};
}

Bytes BigEndian(uint32_t value, int count) {
    Bytes bytes;
    for (int i = count - 1; i >= 0; --i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    return bytes;
}

Bytes Unsynchronise(const Bytes& bytes) {
    Bytes out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && (i + 1 == bytes.size() || bytes[i + 1] == 0 || (bytes[i + 1] & 0xE0) == 0xE0)) {
            out.push_back(0);
        }
    }
    return out;
}

Bytes Frame(int version, const std::string& id, const Bytes& body, unsigned char format, bool plainSize) {
    const uint32_t size = static_cast<uint32_t>(body.size());
    if (version == 2) return BytesOf(id) + BigEndian(size, 3) + body;
    const Bytes sizeBytes = version == 4 && !plainSize ? Syncsafe(size) : BigEndian(size, 4);
    return BytesOf(id) + sizeBytes + Bytes{0, format} + body;
}

Bytes TextFrame(int version, const std::string& id, const std::string& text, unsigned char encoding) {
    return Frame(version, id, Bytes{encoding} + BytesOf(text));
}

Bytes PictureBody(int version, unsigned char type, const std::string& description, const Bytes& image) {
    const Bytes format = version == 2 ? BytesOf("PNG") : BytesOf(std::string("image/png") + '\0');
    return Bytes{0} + format + Bytes{type} + BytesOf(description + '\0') + image;
}

Bytes Tag(int version, const Bytes& body, unsigned char flags, int64_t declaredSize) {
    const uint32_t size = static_cast<uint32_t>(declaredSize >= 0 ? declaredSize : static_cast<int64_t>(body.size()));
    const Bytes header = BytesOf("ID3") + Bytes{static_cast<unsigned char>(version), 0, flags} + Syncsafe(size);
    Bytes tag = header + body;
    if (flags & 0x10) {
        Bytes footer = header;
        footer[0] = '3', footer[1] = 'D', footer[2] = 'I';
        tag = tag + footer;
    }
    return tag;
}

Bytes MpegFrames(int count, uint32_t xingFrames, const char* xingTag) {
    Bytes audio;
    for (int i = 0; i < count; ++i) {
        Bytes frame(417, 0);
        frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = 0x90, frame[3] = 0x40;
        if (i == 0 && xingFrames != 0) {
            const Bytes xing = BytesOf(xingTag) + BigEndian(1, 4) + BigEndian(xingFrames, 4);
            std::copy(xing.begin(), xing.end(), frame.begin() + 36);
        }
        audio = std::move(audio) + frame;
    }
    return audio;
}

Bytes Id3v1Tag(const std::string& title, const std::string& artist, unsigned char track, unsigned char genre) {
    Bytes tag = MakeTag(title, artist, "", "", "", genre);
    tag[126] = track;
    return tag;
}
