#include "formats/id3v1/id3v1_update.h"

#include <cstring>
#include <vector>

#include "formats/genre_list.h"
#include "formats/number_text.h"

namespace {

void WriteField(CodePageEncoder& encoder, const std::u16string& text, uint8_t* field, size_t width) {
    const std::string bytes = encoder.Encode(text, width);
    std::memset(field, 0, width);
    std::memcpy(field, bytes.data(), std::min(bytes.size(), width));
}

// The number of the genre a TCON value names ("Rock", "(17)", "17"; the first of
// several), 255 where the list has none.
uint8_t GenreNumber(const std::u16string& value) {
    std::u16string name = ResolveGenres(std::vector<std::u16string>{value});
    name = name.substr(0, name.find(u"; "));
    for (unsigned i = 0; i < 255; ++i) {
        const char16_t* known = GenreName(i);
        if (known == nullptr) break;
        if (name == known) return static_cast<uint8_t>(i);
    }
    return 255;
}

}  // namespace

void UpdateId3v1(const TagEdits& edits, CodePageEncoder& encoder, uint8_t* tag) {
    const struct {
        const char16_t* Key;
        size_t Offset;
    } texts[] = {{u"TIT2", 3}, {u"TPE1", 33}, {u"TALB", 63}};
    for (const auto& text : texts) {
        const auto found = edits.Texts.find(text.Key);
        if (found != edits.Texts.end()) WriteField(encoder, found->second, tag + text.Offset, 30);
    }
    auto year = edits.Texts.find(kYearKey);
    if (year == edits.Texts.end()) year = edits.Texts.find(u"TDRC");
    if (year != edits.Texts.end()) {
        // ParseYear gives four digits or 0.
        long number = ParseYear(year->second);
        std::memset(tag + 93, 0, 4);
        if (number > 0) {
            for (int i = 3; i >= 0; --i, number /= 10) tag[93 + i] = static_cast<uint8_t>('0' + number % 10);
        }
    }
    const auto track = edits.Texts.find(u"TRCK");
    if (track != edits.Texts.end()) {
        long number = 0, count = 0;
        ParseNumberPair(track->second, &number, &count);
        tag[125] = 0;
        tag[126] = number > 0 && number < 256 ? static_cast<uint8_t>(number) : 0;
    }
    const auto comment = edits.Texts.find(kCommentKey);
    if (comment != edits.Texts.end()) {
        // ID3v1.1 gives the comment's last two bytes to the track.
        const bool hasTrack = tag[125] == 0 && tag[126] != 0;
        WriteField(encoder, comment->second, tag + 97, hasTrack ? 28 : 30);
    }
    const auto genre = edits.Texts.find(u"TCON");
    if (genre != edits.Texts.end()) tag[127] = GenreNumber(genre->second);
}
