#include "formats/mp4/ilst_items.h"

#include <algorithm>

#include "formats/genre_list.h"
#include "formats/id3v2/id3v2_header.h"
#include "formats/utf8_text.h"

namespace {

// The types of a data box's value.
constexpr uint32_t kUtf8 = 1, kUtf16 = 2, kJpeg = 13, kPng = 14, kSigned = 21, kBinary = 0;
constexpr uint64_t kDataHeader = 8;  // the type and the locale

// An item's type as text: its bytes as Latin-1, so that 0xA9 is the copyright sign.
std::u16string NameOf(const char* type, size_t size) {
    std::u16string name;
    for (size_t i = 0; i < size; ++i) name.push_back(static_cast<unsigned char>(type[i]));
    return name;
}

std::u16string DecimalOf(long long value) {
    const bool negative = value < 0;
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : value;
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? u'-' + text : text;
}

std::u16string DecodeUtf16BigEndian(const uint8_t* bytes, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1]));
    return text;
}

class ItemReader {
public:
    ItemReader(BoxReader& boxes, TextFields& fields, MediaTags& tags) : boxes_(boxes), fields_(fields), tags_(tags) {}

    void Read(const Box& item) {
        key_ = NameOf(item.Type, 4);
        const bool freeform = key_ == u"----";
        std::u16string mean, name;
        uint64_t at = item.Start;
        Box box;
        while (boxes_.NextBox(&at, item.End, box)) {
            if (freeform && (box.Is("mean") || box.Is("name"))) {
                (box.Is("mean") ? mean : name) = TextOf(box.Start + 4, box.End);
                key_ = u"----:" + mean + u':' + name;
            } else if (box.Is("data") && box.Size() >= kDataHeader) {
                ReadData(box);
            }
        }
    }

private:
    std::u16string TextOf(uint64_t start, uint64_t end) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(end - std::min(start, end), TextFields::kLargestValue));
        const uint8_t* bytes = size > 0 ? boxes_.BytesAt(start, size) : nullptr;
        return bytes != nullptr ? DecodeUtf8(bytes, size) : std::u16string();
    }

    void ReadData(const Box& data) {
        const uint8_t* header = boxes_.BytesAt(data.Start, kDataHeader);
        if (header == nullptr) return;
        const uint32_t type = ReadBigEndian(header, 4) & 0xFFFFFF;
        const uint64_t start = data.Start + kDataHeader;
        const uint64_t size = data.End - start;
        if (key_ == u"covr" && (type == kJpeg || type == kPng || type == kBinary)) {
            OfferPicture(start, data.End);
        } else if (type == kUtf8) {
            if (size <= TextFields::kLargestValue) fields_.Add(key_, TextOf(start, data.End));
        } else if (type == kUtf16 && size <= TextFields::kLargestValue) {
            const uint8_t* bytes = boxes_.BytesAt(start, static_cast<size_t>(size));
            if (bytes != nullptr) fields_.Add(key_, DecodeUtf16BigEndian(bytes, static_cast<size_t>(size)));
        } else if (size >= 1 && size <= 8) {
            ReadNumber(type, start, static_cast<size_t>(size));
        }
    }

    // trkn and disk: two bytes, the number and the count; gnre: an ID3v1 genre plus one;
    // other small values: a signed or unsigned big-endian integer.
    void ReadNumber(uint32_t type, uint64_t start, size_t size) {
        const uint8_t* bytes = boxes_.BytesAt(start, size);
        if (bytes == nullptr) return;
        if ((key_ == u"trkn" || key_ == u"disk") && size >= 6) {
            const uint32_t number = ReadBigEndian(bytes + 2, 2), count = ReadBigEndian(bytes + 4, 2);
            fields_.Add(key_, count != 0 ? DecimalOf(number) + u'/' + DecimalOf(count) : DecimalOf(number));
        } else if (key_ == u"gnre" && size == 2) {
            const char16_t* genre = GenreName(ReadBigEndian(bytes, 2) - 1);
            if (genre != nullptr) fields_.Add(key_, genre);
        } else if (type == kSigned || type == kBinary) {
            uint64_t value = 0;
            for (size_t i = 0; i < size; ++i) value = value << 8 | bytes[i];
            const bool negative = type == kSigned && (bytes[0] & 0x80) != 0;
            const long long signedValue = negative ? static_cast<long long>(value - (size < 8 ? 1ull << (8 * size) : 0))
                                                   : static_cast<long long>(value);
            fields_.Add(key_, DecimalOf(signedValue));
        }
    }

    void OfferPicture(uint64_t start, uint64_t end) {
        PictureLocation picture;
        picture.RawStart = start;
        picture.RawEnd = end;
        picture.Size = end - start;
        picture.Type = 3;  // iTunes keeps front covers here
        tags_.OfferPicture(picture);
    }

    BoxReader& boxes_;
    TextFields& fields_;
    MediaTags& tags_;
    std::u16string key_;
};

}  // namespace

void ReadItems(BoxReader& boxes, const Box& ilst, TextFields& fields, MediaTags& tags) {
    ItemReader reader(boxes, fields, tags);
    uint64_t at = ilst.Start;
    Box item;
    while (!fields.Full() && boxes.NextBox(&at, ilst.End, item)) reader.Read(item);
}

const FieldNames& Mp4FieldNames() noexcept {
    static const FieldNames names = {{u"\u00A9nam"}, {u"\u00A9ART"}, {u"\u00A9alb"}, {u"aART"}, {u"\u00A9wrt"},
                                     {u"\u00A9cmt"}, {u"\u00A9gen", u"gnre"}, {u"\u00A9day"}, {u"trkn"}, {},
                                     {u"disk"}, {}, {u"\u00A9lyr"}};
    return names;
}
