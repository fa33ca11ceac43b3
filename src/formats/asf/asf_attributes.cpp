#include "formats/asf/asf_attributes.h"
#include "formats/little_endian.h"

#include <vector>

namespace {

enum ValueType : uint16_t { kText = 0, kBytes = 1, kBoolean = 2, kNumber32 = 3, kNumber64 = 4, kNumber16 = 5 };

// A number of count bytes; false where the body ends first.
bool ReadNumber(SequentialBytes& body, size_t count, uint64_t* value) {
    uint8_t bytes[8];
    if (body.Read(bytes, count) < count) return false;
    *value = ReadLittleEndian(bytes, count);
    return true;
}

// UTF-16LE text of size bytes, up to its terminator.
bool ReadText(SequentialBytes& body, size_t size, std::u16string& text) {
    std::vector<uint8_t> bytes(size);
    if (body.Read(bytes.data(), size) < size) return false;
    text.clear();
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
    }
    return true;
}

std::u16string DecimalOf(uint64_t value) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return text;
}

// Reads a UTF-16 string up to and with its terminator, at most limit bytes; false without one.
bool SkipTerminatedText(SequentialBytes& body, uint32_t limit, uint32_t* used) {
    uint8_t pair[2];
    while (*used + 2 <= limit && body.Read(pair, 2) == 2) {
        *used += 2;
        if (pair[0] == 0 && pair[1] == 0) return true;
    }
    return false;
}

}  // namespace

void AsfAttributes::ReadContentDescription(SequentialBytes& body) {
    static const char16_t* const kNames[] = {u"Title", u"Author", u"Copyright", u"Description", u"Rating"};
    uint64_t lengths[5];
    for (uint64_t& length : lengths) {
        if (!ReadNumber(body, 2, &length)) return;
    }
    std::u16string text;
    for (size_t i = 0; i < 5; ++i) {
        if (!ReadText(body, static_cast<size_t>(lengths[i]), text)) return;
        fields_.Add(kNames[i], text);
    }
}

void AsfAttributes::ReadList(SequentialBytes& body, uint64_t offset, AttributeList list) {
    const bool metadata = list == AttributeList::Metadata;
    uint64_t count = 0;
    if (!ReadNumber(body, 2, &count)) return;
    offset += 2;
    std::u16string name;
    for (uint64_t i = 0; i < count && !fields_.Full(); ++i) {
        uint64_t nameSize = 0, type = 0, size = 0;
        const bool header = metadata ? body.Skip(4) == 4 && ReadNumber(body, 2, &nameSize) &&
                                           ReadNumber(body, 2, &type) && ReadNumber(body, 4, &size) &&
                                           ReadText(body, static_cast<size_t>(nameSize), name)
                                     : ReadNumber(body, 2, &nameSize) && ReadText(body, static_cast<size_t>(nameSize), name) &&
                                           ReadNumber(body, 2, &type) && ReadNumber(body, 2, &size);
        if (!header) return;
        offset += (metadata ? 12 : 6) + nameSize;
        if (!ReadValue(body, offset, name, static_cast<uint16_t>(type), static_cast<uint32_t>(size))) return;
        offset += size;
    }
}

bool AsfAttributes::ReadValue(SequentialBytes& body, uint64_t offset, const std::u16string& name, uint16_t type,
                              uint32_t size) {
    if (type == kBytes && name == u"WM/Picture") return ReadPicture(body, offset, size);
    const size_t width = type == kNumber64 ? 8 : type == kNumber16 ? 2 : 4;
    if (type >= kBoolean && type <= kNumber16 && size >= width) {
        uint64_t value = 0;
        if (!ReadNumber(body, width, &value)) return false;
        fields_.Add(name, DecimalOf(value));
        return body.Skip(size - width) == size - width;
    }
    if (type == kText && size <= TextFields::kLargestValue) {
        std::u16string text;
        if (!ReadText(body, size, text)) return false;
        fields_.Add(name, text);
        return true;
    }
    return body.Skip(size) == size;
}

bool AsfAttributes::ReadPicture(SequentialBytes& body, uint64_t offset, uint32_t size) {
    uint64_t type = 0, length = 0;
    uint32_t used = 5;
    if (size < 5 || !ReadNumber(body, 1, &type) || !ReadNumber(body, 4, &length)) return false;
    if (SkipTerminatedText(body, size, &used) && SkipTerminatedText(body, size, &used)) {
        PictureLocation picture;
        picture.RawStart = offset;
        picture.RawEnd = offset + size;
        picture.Skip = used;
        picture.Size = length;
        picture.Type = static_cast<uint8_t>(type);
        tags_.OfferPicture(picture);
    }
    return body.Skip(size - used) == size - used;
}

const FieldNames& AsfFieldNames() noexcept {
    static const FieldNames names = {{u"Title"}, {u"Author"}, {u"WM/AlbumTitle"}, {u"WM/AlbumArtist"},
                                     {u"WM/Composer"}, {u"Description"}, {u"WM/Genre"}, {u"WM/Year"},
                                     {u"WM/TrackNumber"}, {}, {u"WM/PartOfSet"}, {}, {u"WM/Lyrics"}};
    return names;
}
