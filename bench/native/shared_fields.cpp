#include "shared_fields.h"

#include "formats/utf8_text.h"

const char* const SharedFields::kTextNames[kTexts] = {"title", "artist", "album", "genre", "comment"};
const char* const SharedFields::kNumberNames[kNumbers] = {"year", "track", "bitrate", "sample rate", "channels"};

namespace {

std::string Utf8Of(const std::u16string& text) {
    std::string out;
    AppendUtf8(text, out);
    return out;
}

}  // namespace

SharedFields SharedFieldsOf(const MediaTags& tags) {
    SharedFields shared;
    const std::u16string* texts[] = {&tags.Title, &tags.Artist, &tags.Album, &tags.Genre, &tags.Comment};
    for (int i = 0; i < SharedFields::kTexts; ++i) shared.Texts[i] = Utf8Of(*texts[i]);
    const long numbers[] = {tags.Year, tags.Track, tags.Bitrate, tags.SampleRate, tags.Channels};
    for (int i = 0; i < SharedFields::kNumbers; ++i) shared.Numbers[i] = numbers[i];
    shared.Duration = tags.Duration;
    return shared;
}

SharedFields SharedFieldsOf(const TagLibFields& fields) {
    SharedFields shared;
    const TagLib::String* texts[] = {&fields.Title, &fields.Artist, &fields.Album, &fields.Genre, &fields.Comment};
    for (int i = 0; i < SharedFields::kTexts; ++i) shared.Texts[i] = texts[i]->to8Bit(true);
    const long numbers[] = {long(fields.Year), long(fields.Track), fields.Bitrate, fields.SampleRate, fields.Channels};
    for (int i = 0; i < SharedFields::kNumbers; ++i) shared.Numbers[i] = numbers[i];
    shared.Duration = fields.LengthMilliseconds / 1000.0;
    return shared;
}

uint64_t FieldSum(const MediaTags& tags) {
    return tags.Title.size() + tags.Artist.size() + tags.Album.size() + tags.Genre.size() + tags.Comment.size() +
           static_cast<uint64_t>(tags.Year + tags.Track + tags.Bitrate + tags.SampleRate + tags.Channels) +
           static_cast<uint64_t>(tags.Duration * 1000);
}

uint64_t FieldSum(const TagLibFields& fields) {
    return fields.Title.size() + fields.Artist.size() + fields.Album.size() + fields.Genre.size() +
           fields.Comment.size() + fields.Year + fields.Track +
           static_cast<uint64_t>(fields.Bitrate + fields.SampleRate + fields.Channels + fields.LengthMilliseconds);
}
