#include "formats/tag_assembly.h"

#include "formats/frame_text.h"
#include "formats/genre_list.h"
#include "formats/number_text.h"

namespace {

std::wstring TextOf(const MediaTags& tags, const wchar_t* id) {
    const std::wstring* text = tags.FindText(id);
    return text != nullptr ? *text : std::wstring();
}

}  // namespace

bool TagAssembly::Keep(size_t characters) noexcept {
    if (Full() || characters > kMostCharacters - characters_) return false;
    ++frames_;
    characters_ += characters;
    return true;
}

void TagAssembly::AddText(TextFrame&& frame, int version) {
    if (tags_.Texts.count(frame.Key) != 0) return;
    const bool genre = frame.Key == L"TCON";
    std::wstring genres = genre ? ResolveGenres(frame.Values) : std::wstring();
    std::wstring text = JoinValues(std::move(frame.Values));
    if (!Keep(frame.Key.size() + text.size())) return;
    // Each version keeps its year in a frame of its own, and only there.
    const wchar_t* yearFrame = version == 4 ? L"TDRC" : L"TYER";
    if (frame.Key == yearFrame && tags_.Year == 0) tags_.Year = ParseYear(text);
    if (genre) tags_.Genre = std::move(genres);
    tags_.Texts.emplace(std::move(frame.Key), std::move(text));
}

void TagAssembly::AddComment(CommentFrame&& frame) {
    if (commentFound_ || !frame.Description.empty()) return;
    std::wstring text = JoinValues(std::move(frame.Values));
    if (!Keep(text.size())) return;
    commentFound_ = true;
    tags_.Comment = std::move(text);
}

void TagAssembly::AddPicture(const PictureLocation& picture) noexcept {
    if (!WantsPicture() || (tags_.PictureFound && picture.Type != 3)) return;
    tags_.PictureFound = true;
    tags_.Picture = picture;
}

void TagAssembly::Finish() {
    tags_.Title = TextOf(tags_, L"TIT2");
    tags_.Artist = TextOf(tags_, L"TPE1");
    tags_.Album = TextOf(tags_, L"TALB");
    tags_.AlbumArtist = TextOf(tags_, L"TPE2");
    tags_.Composer = TextOf(tags_, L"TCOM");
    ParseNumberPair(TextOf(tags_, L"TRCK"), &tags_.Track, &tags_.TrackCount);
    ParseNumberPair(TextOf(tags_, L"TPOS"), &tags_.Disc, &tags_.DiscCount);
}
