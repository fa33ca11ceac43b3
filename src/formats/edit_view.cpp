#include "formats/edit_view.h"

#include <vector>

#include "formats/edit_keys.h"
#include "formats/genre_list.h"
#include "formats/number_text.h"
#include "formats/tag_edits.h"

namespace {

// A keyed-text format's field replaced under every name it has, and the properties read
// again from the texts as its reader reads them.
void ShowKeyedEdit(const FieldNames& names, const std::u16string& key, const std::u16string& value,
                   MediaTags& tags) {
    for (const std::u16string& name : FieldKeysOf(names, key)) {
        for (auto text = tags.Texts.begin(); text != tags.Texts.end();) {
            text = EqualIgnoringAsciiCase(text->first, name) ? tags.Texts.erase(text) : std::next(text);
        }
    }
    if (!value.empty()) tags.Texts[key] = value;
    for (auto field : {&MediaTags::Title, &MediaTags::Artist, &MediaTags::Album, &MediaTags::AlbumArtist,
                       &MediaTags::Composer, &MediaTags::Comment, &MediaTags::Genre, &MediaTags::Lyrics}) {
        (tags.*field).clear();
    }
    tags.Year = tags.Track = tags.TrackCount = tags.Disc = tags.DiscCount = 0;
    TextFields(tags).Finish(names);
}

}  // namespace

void ShowEdit(const FieldNames* names, const std::u16string& key, const std::u16string& value, MediaTags& tags) {
    if (names != nullptr) return ShowKeyedEdit(*names, key, value, tags);
    if (key == kCommentKey) {
        tags.Comment = value;
        return;
    }
    if (key == kLyricsKey) {
        tags.Lyrics = value;
        return;
    }
    if (value.empty()) {
        tags.Texts.erase(key);
    } else {
        tags.Texts[key] = value;
    }
    const struct {
        const char16_t* Id;
        std::u16string MediaTags::*Field;
    } named[] = {{u"TIT2", &MediaTags::Title},       {u"TPE1", &MediaTags::Artist},
                 {u"TALB", &MediaTags::Album},       {u"TPE2", &MediaTags::AlbumArtist},
                 {u"TCOM", &MediaTags::Composer}};
    for (const auto& field : named) {
        if (key == field.Id) tags.*field.Field = value;
    }
    if (key == u"TCON") tags.Genre = value.empty() ? value : ResolveGenres(std::vector<std::u16string>{value});
    if (key == kYearKey || key == u"TDRC") tags.Year = ParseYear(value);
    if (key == u"TRCK") ParseNumberPair(value, &tags.Track, &tags.TrackCount);
    if (key == u"TPOS") ParseNumberPair(value, &tags.Disc, &tags.DiscCount);
}
