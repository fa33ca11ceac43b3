#include "tagwrite/edit_view.h"

#include <vector>

#include "formats/genre_list.h"
#include "formats/number_text.h"
#include "tagwrite/tag_edits.h"

void ShowEdit(const std::u16string& key, const std::u16string& value, MediaTags& tags) {
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
