#include "formats/edit_keys.h"

#include "formats/asf/asf_attributes.h"
#include "formats/media_tags.h"
#include "formats/mp4/ilst_items.h"
#include "formats/tag_edits.h"
#include "formats/vorbis_comments/vorbis_comment_reader.h"

namespace {

using Keys = FieldNames::Keys;

// The fields a property names, by its ID3v2 key.
const struct {
    const char16_t* PropertyKey;
    Keys FieldNames::*Field;
} kPropertyFields[] = {
    {kTitleKey, &FieldNames::Title},     {kArtistKey, &FieldNames::Artist},
    {kAlbumKey, &FieldNames::Album},     {kAlbumArtistKey, &FieldNames::AlbumArtist},
    {kComposerKey, &FieldNames::Composer}, {kCommentKey, &FieldNames::Comment},
    {kGenreKey, &FieldNames::Genre},     {kYearKey, &FieldNames::Year},
    {kLyricsKey, &FieldNames::Lyrics},   {kTrackKey, &FieldNames::Track},
    {kDiscKey, &FieldNames::Disc},
};

Keys FieldNames::* const kEveryField[] = {
    &FieldNames::Title,   &FieldNames::Artist, &FieldNames::Album,      &FieldNames::AlbumArtist,
    &FieldNames::Composer, &FieldNames::Comment, &FieldNames::Genre,     &FieldNames::Year,
    &FieldNames::Track,   &FieldNames::TrackCount, &FieldNames::Disc,    &FieldNames::DiscCount,
    &FieldNames::Lyrics,
};

bool Names(const Keys& keys, const std::u16string& key) {
    for (const char16_t* name : keys) {
        if (name != nullptr && EqualIgnoringAsciiCase(name, key)) return true;
    }
    return false;
}

bool IsIn(char16_t c, char16_t low, char16_t high) noexcept { return c >= low && c <= high; }

// A Vorbis comment's field name: printable ASCII but '='.
bool IsVorbisFieldName(const std::u16string& key) {
    if (key.empty()) return false;
    for (char16_t c : key) {
        if (!IsIn(c, 0x20, 0x7D) || c == u'=') return false;
    }
    return true;
}

// An MP4 item: four characters that are each one byte (©nam), or a freeform
// "----:mean:name"; not the cover, which is no text.
bool IsMp4ItemName(const std::u16string& key) {
    if (key.compare(0, 5, u"----:") == 0) {
        const size_t colon = key.find(u':', 5);
        return colon != std::u16string::npos && colon > 5 && colon + 1 < key.size();
    }
    if (key.size() != 4 || key == u"covr") return false;
    for (char16_t c : key) {
        if (!IsIn(c, 0x20, 0xFF)) return false;
    }
    return true;
}

bool IsAsfAttributeName(const std::u16string& key) {
    return !key.empty() && key.size() < 0x7FFF && key.find(u'\0') == std::u16string::npos;
}

}  // namespace

const FieldNames* KeyedFieldNames(MediaFormat format) noexcept {
    switch (format) {
        case MediaFormat::Flac:
        case MediaFormat::Ogg:
            return &VorbisFieldNames();
        case MediaFormat::Mp4:
            return &Mp4FieldNames();
        case MediaFormat::Asf:
            return &AsfFieldNames();
        default:
            return nullptr;
    }
}

std::u16string EditKeyFor(const FieldNames* names, const std::u16string& propertyKey) {
    if (names == nullptr) return propertyKey;
    for (const auto& property : kPropertyFields) {
        if (propertyKey == property.PropertyKey) {
            const char16_t* own = ((*names).*property.Field)[0];
            return own != nullptr ? std::u16string(own) : propertyKey;
        }
    }
    return propertyKey;
}

PairKeys PairKeysFor(const FieldNames* names, const std::u16string& pairKey) {
    if (names == nullptr) return {pairKey, {}};
    const bool track = pairKey == kTrackKey;
    const char16_t* count = (track ? names->TrackCount : names->DiscCount)[0];
    return {EditKeyFor(names, pairKey), count != nullptr ? std::u16string(count) : std::u16string()};
}

std::vector<std::u16string> FieldKeysOf(const FieldNames& names, const std::u16string& key) {
    std::vector<std::u16string> keys{key};
    for (Keys FieldNames::*field : kEveryField) {
        const Keys& own = names.*field;
        if (!Names(own, key)) continue;
        for (const char16_t* name : own) {
            if (name != nullptr && !EqualIgnoringAsciiCase(name, key)) keys.emplace_back(name);
        }
        break;
    }
    return keys;
}

bool SettableKey(MediaFormat format, std::u16string& key) {
    switch (format) {
        case MediaFormat::Flac:
        case MediaFormat::Ogg:
            return IsVorbisFieldName(key);
        case MediaFormat::Mp4:
            return IsMp4ItemName(key);
        case MediaFormat::Asf:
            return IsAsfAttributeName(key);
        default:
            for (size_t i = 0; i < key.size() && i < 4; ++i) {
                if (IsIn(key[i], u'a', u'z')) key[i] = static_cast<char16_t>(key[i] - u'a' + u'A');
            }
            return IsTextFrameKey(key);
    }
}
