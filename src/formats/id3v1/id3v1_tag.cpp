#include "formats/id3v1/id3v1_tag.h"

#include <cstring>

#include "formats/genre_list.h"
#include "formats/number_text.h"

namespace {

// The field's bytes up to its first NUL, less trailing blanks, in the system code page.
std::u16string FieldText(const uint8_t* bytes, size_t width, MediaSource& source) {
    const char* field = reinterpret_cast<const char*>(bytes);
    size_t length = strnlen(field, width);
    while (length > 0 && field[length - 1] == ' ') --length;
    return length == 0 ? std::u16string() : source.DecodeCodePage(field, length);
}

}  // namespace

bool ParseId3v1Tag(const uint8_t* bytes, MediaSource& source, Id3v1Tag& tag, unsigned texts) {
    if (std::memcmp(bytes, "TAG", 3) != 0) return false;
    tag = Id3v1Tag();
    if (texts & kId3v1Title) tag.Title = FieldText(bytes + 3, 30, source);
    if (texts & kId3v1Artist) tag.Artist = FieldText(bytes + 33, 30, source);
    if (texts & kId3v1Album) tag.Album = FieldText(bytes + 63, 30, source);
    tag.Year = ParseYear(FieldText(bytes + 93, 4, source));
    // ID3v1.1 gives the comment's last two bytes to a 0 and the track.
    tag.HasTrack = bytes[125] == 0 && bytes[126] != 0;
    tag.Track = tag.HasTrack ? bytes[126] : 0;
    if (texts & kId3v1Comment) tag.Comment = FieldText(bytes + 97, tag.HasTrack ? 28 : 30, source);
    const char16_t* genre = GenreName(bytes[127]);
    if ((texts & kId3v1Genre) && genre != nullptr) tag.Genre = genre;
    return true;
}
