#include "formats/id3v2/tag_assembly.h"

#include "formats/id3v2/frame_text.h"
#include "formats/genre_list.h"
#include "formats/number_text.h"

namespace {

std::u16string TextOf(const MediaTags& tags, const char16_t* id) {
    const std::u16string* text = tags.FindText(id);
    return text != nullptr ? *text : std::u16string();
}

}  // namespace

bool IsPlayerNote(const std::u16string& description) { return description.compare(0, 4, u"iTun") == 0; }

bool TagAssembly::Keep(size_t characters) noexcept {
    if (Full() || characters > kMostCharacters - characters_) return false;
    ++frames_;
    characters_ += characters;
    return true;
}

void TagAssembly::AddText(TextFrame&& frame, int version) {
    if (tags_.Texts.count(frame.Key) != 0) return;
    const bool genre = frame.Key == u"TCON";
    std::u16string genres = genre ? ResolveGenres(frame.Values) : std::u16string();
    std::u16string text = genre ? JoinValues(std::move(frame.Values)) : std::move(frame.Text);
    if (!Keep(frame.Key.size() + text.size())) return;
    // Each version keeps its year in a frame of its own; files converted by other tools
    // carry the other version's, which counts where the own one is missing.
    if (frame.Key == u"TDRC" || frame.Key == u"TYER") {
        const bool own = frame.Key == (version == 4 ? u"TDRC" : u"TYER");
        long& year = own ? ownYear_ : otherYear_;
        if (year == 0) year = ParseYear(text);
    }
    if (genre) tags_.Genre = std::move(genres);
    tags_.Texts.emplace(std::move(frame.Key), std::move(text));
}

void TagAssembly::AddComment(CommentFrame&& frame) {
    // The first comment without a description; else the first whose description is not
    // one of the players' own notes.
    const CommentRank rank = frame.Description.empty()             ? CommentRank::Plain
                             : IsPlayerNote(frame.Description) ? CommentRank::None
                                                                   : CommentRank::Described;
    if (rank <= commentRank_) return;
    std::u16string text = std::move(frame.Text);
    if (!Keep(text.size())) return;
    commentRank_ = rank;
    tags_.Comment = std::move(text);
}

void TagAssembly::AddLyrics(CommentFrame&& frame) {
    if (lyricsFound_) return;
    std::u16string text = std::move(frame.Text);
    if (!Keep(text.size())) return;
    lyricsFound_ = true;
    tags_.Lyrics = std::move(text);
}

void TagAssembly::AddPicture(const PictureLocation& picture) noexcept { tags_.OfferPicture(picture); }

void TagAssembly::Finish() {
    tags_.Title = TextOf(tags_, u"TIT2");
    tags_.Artist = TextOf(tags_, u"TPE1");
    tags_.Album = TextOf(tags_, u"TALB");
    tags_.AlbumArtist = TextOf(tags_, u"TPE2");
    tags_.Composer = TextOf(tags_, u"TCOM");
    ParseNumberPair(TextOf(tags_, u"TRCK"), &tags_.Track, &tags_.TrackCount);
    ParseNumberPair(TextOf(tags_, u"TPOS"), &tags_.Disc, &tags_.DiscCount);
    tags_.Year = ownYear_ != 0 ? ownYear_ : otherYear_;
}
