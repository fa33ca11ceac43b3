#include "property_rows.h"

#include "format_test_files.h"
#include "formats/tag_edits.h"

const std::u16string kLatinText = u"Gr\u00FC\u00DFe", kCjkText = u"\u6771\u4EAC", kOutsideBmpText = u"clef \U0001D11E";

namespace {

std::u16string Number(long value) { return value == 0 ? u"" : DecimalText(value); }

}  // namespace

std::vector<PropertyRow> PropertyRows(const std::vector<std::u16string>& keys) {
    auto text = [](std::u16string MediaTags::*field) { return [field](const MediaTags& t) { return t.*field; }; };
    std::vector<PropertyRow> rows = {
        {kTitleKey, kLatinText + u"; " + kCjkText, text(&MediaTags::Title)},
        {kArtistKey, kCjkText + u"; " + kLatinText, text(&MediaTags::Artist)},
        {kAlbumKey, kOutsideBmpText, text(&MediaTags::Album)},
        {kAlbumArtistKey, kCjkText, text(&MediaTags::AlbumArtist)},
        {kComposerKey, kOutsideBmpText, text(&MediaTags::Composer)},
        {kCommentKey, kLatinText, text(&MediaTags::Comment)},
        {kGenreKey, u"Rock", text(&MediaTags::Genre)},
        {kLyricsKey, std::u16string(40000, u'\u4E00'), text(&MediaTags::Lyrics)},
        {kYearKey, u"2021", [](const MediaTags& t) { return Number(t.Year); }},
        {kTrackKey, u"3/12", [](const MediaTags& t) { return Number(t.Track) + u"/" + Number(t.TrackCount); }},
        {kDiscKey, u"2", [](const MediaTags& t) { return Number(t.Disc); }}};
    for (const std::u16string& key : keys) {
        rows.push_back({key, kCjkText, [key](const MediaTags& t) {
                            const std::u16string* found = t.FindText(key);
                            return found != nullptr ? *found : u"";
                        }});
    }
    return rows;
}
