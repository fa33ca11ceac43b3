#include "formats/text_fields.h"

#include "formats/number_text.h"

namespace {

const std::u16string* FindFirst(const MediaTags& tags, const FieldNames::Keys& keys) {
    for (const char16_t* key : keys) {
        if (key == nullptr) continue;
        const auto found = tags.Texts.find(key);
        if (found != tags.Texts.end()) return &found->second;
    }
    return nullptr;
}

void CopyFirst(const MediaTags& tags, const FieldNames::Keys& keys, std::u16string& target) {
    if (const std::u16string* text = FindFirst(tags, keys)) target = *text;
}

// "3/12", or "3" with the count under a key of its own.
void ReadPair(const MediaTags& tags, const FieldNames::Keys& keys, const FieldNames::Keys& countKeys, long* number,
              long* count) {
    const std::u16string* text = FindFirst(tags, keys);
    if (text != nullptr) ParseNumberPair(*text, number, count);
    const std::u16string* countText = FindFirst(tags, countKeys);
    long unused = 0;
    if (*count == 0 && countText != nullptr) ParseNumberPair(*countText, count, &unused);
}

}  // namespace

void TextFields::Add(const std::u16string& key, const std::u16string& value) {
    if (value.empty() || Full() || key.size() + value.size() + 2 > kMostCharacters - characters_) return;
    ++values_;
    characters_ += key.size() + value.size() + 2;
    std::u16string& text = tags_.Texts[key];
    if (!text.empty()) text += u"; ";
    text += value;
}

void TextFields::Finish(const FieldNames& names) {
    CopyFirst(tags_, names.Title, tags_.Title);
    CopyFirst(tags_, names.Artist, tags_.Artist);
    CopyFirst(tags_, names.Album, tags_.Album);
    CopyFirst(tags_, names.AlbumArtist, tags_.AlbumArtist);
    CopyFirst(tags_, names.Composer, tags_.Composer);
    CopyFirst(tags_, names.Comment, tags_.Comment);
    CopyFirst(tags_, names.Genre, tags_.Genre);
    CopyFirst(tags_, names.Lyrics, tags_.Lyrics);
    if (const std::u16string* year = FindFirst(tags_, names.Year)) tags_.Year = ParseYear(*year);
    ReadPair(tags_, names.Track, names.TrackCount, &tags_.Track, &tags_.TrackCount);
    ReadPair(tags_, names.Disc, names.DiscCount, &tags_.Disc, &tags_.DiscCount);
}

void AddTagType(std::u16string& types, const std::u16string& name) {
    if (!types.empty()) types += u' ';
    types += name;
}
