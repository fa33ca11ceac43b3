#include "formats/vorbis_comments/vorbis_comment_reader.h"

#include <vector>

#include "formats/utf8_text.h"

namespace {

// A name longer than this is no field of anyone's: passed over.
constexpr size_t kLongestName = 128;
// Fields walked at most, kept or not.
constexpr uint32_t kMostFields = 65536;

// The name up to '=', upper-case; false (with *used bytes read) when there is none.
bool ReadName(SequentialBytes& bytes, uint32_t length, std::u16string& name, uint32_t* used) {
    *used = 0;
    uint8_t c = 0;
    while (*used < length && *used <= kLongestName && bytes.Read(&c, 1) == 1) {
        ++*used;
        if (c == '=') return true;
        name.push_back(c >= 'a' && c <= 'z' ? static_cast<char16_t>(c - 32) : static_cast<char16_t>(c));
    }
    return false;
}

// One field of length bytes; false where the packet ends first.
bool ReadField(SequentialBytes& bytes, uint32_t length, TextFields& fields, PictureNotice* notice) {
    std::u16string name;
    uint32_t used = 0;
    const bool named = ReadName(bytes, length, name, &used);
    uint32_t left = length - used;
    if (named && name == u"METADATA_BLOCK_PICTURE") {
        if (notice != nullptr) left -= static_cast<uint32_t>(notice->NotePicture(left));
    } else if (named && left <= TextFields::kLargestValue && !fields.Full()) {
        std::vector<uint8_t> value(left);
        if (bytes.Read(value.data(), left) < left) return false;
        fields.Add(name, DecodeUtf8(value.data(), value.size()));
        return true;
    }
    return bytes.Skip(left) == left;
}

}  // namespace

void ReadVorbisComments(SequentialBytes& bytes, TextFields& fields, PictureNotice* notice) {
    uint32_t vendor = 0;
    uint32_t count = 0;
    if (!bytes.ReadLittleEndian32(&vendor) || bytes.Skip(vendor) < vendor ||
        !bytes.ReadLittleEndian32(&count)) {
        return;
    }
    for (uint32_t i = 0; i < count && i < kMostFields; ++i) {
        uint32_t length = 0;
        if (!bytes.ReadLittleEndian32(&length) || !ReadField(bytes, length, fields, notice)) return;
    }
}

const FieldNames& VorbisFieldNames() noexcept {
    static const FieldNames names = {
        {u"TITLE"}, {u"ARTIST"}, {u"ALBUM"}, {u"ALBUMARTIST", u"ALBUM ARTIST"}, {u"COMPOSER"},
        {u"COMMENT", u"DESCRIPTION"}, {u"GENRE"}, {u"DATE", u"YEAR"}, {u"TRACKNUMBER"},
        {u"TRACKTOTAL", u"TOTALTRACKS"}, {u"DISCNUMBER"}, {u"DISCTOTAL", u"TOTALDISCS"},
        {u"LYRICS", u"UNSYNCEDLYRICS"}};
    return names;
}
