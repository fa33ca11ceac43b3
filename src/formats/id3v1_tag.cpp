#include "formats/id3v1_tag.h"

#include <cstring>

#include "formats/genre_list.h"
#include "formats/number_text.h"
#include "support/ansi_conversion.h"

namespace {

// The field's bytes up to its first NUL, less trailing blanks, in the system code page.
std::wstring FieldText(const BYTE* bytes, size_t width) {
    char field[31] = {};
    std::memcpy(field, bytes, width);
    size_t length = strnlen(field, width);
    while (length > 0 && field[length - 1] == ' ') --length;
    field[length] = 0;
    if (length == 0) return {};
    // Every byte yields at most one UTF-16 unit: the field converts on the stack.
    wchar_t wide[sizeof field];
    return SUCCEEDED(ConvertToWideInto(field, wide, static_cast<int>(sizeof field))) ? std::wstring(wide)
                                                                                     : std::wstring();
}

}  // namespace

bool ParseId3v1Tag(const BYTE* bytes, Id3v1Tag& tag) {
    if (std::memcmp(bytes, "TAG", 3) != 0) return false;
    tag.Title = FieldText(bytes + 3, 30);
    tag.Artist = FieldText(bytes + 33, 30);
    tag.Album = FieldText(bytes + 63, 30);
    tag.Year = ParseYear(FieldText(bytes + 93, 4));
    // ID3v1.1 gives the comment's last two bytes to a 0 and the track.
    tag.HasTrack = bytes[125] == 0 && bytes[126] != 0;
    tag.Track = tag.HasTrack ? bytes[126] : 0;
    tag.Comment = FieldText(bytes + 97, tag.HasTrack ? 28 : 30);
    const wchar_t* genre = GenreName(bytes[127]);
    tag.Genre = genre != nullptr ? genre : L"";
    return true;
}
