// The changes a TagFile object holds until Save: texts by frame key, the picture, and
// whether the pictures go.  Plain data; the frames are made from it at Save.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The keys of Texts.  In a file whose tags are ID3v2 frames (MP3, WAV, AIFF): a text
// frame's identifier ("TIT2", "TBPM"), "TXXX:" and a description, and three that are not
// text frames: kCommentKey (the comment without a description), kLyricsKey (the first
// unsynchronised lyrics) and kYearKey (the year, which each version keeps in a frame of its
// own).  The properties are named by these keys; a format of keyed texts keeps its edits
// under its own names (edit_keys.h).  An empty value removes what the key names.
constexpr char16_t kTitleKey[] = u"TIT2";
constexpr char16_t kArtistKey[] = u"TPE1";
constexpr char16_t kAlbumKey[] = u"TALB";
constexpr char16_t kAlbumArtistKey[] = u"TPE2";
constexpr char16_t kComposerKey[] = u"TCOM";
constexpr char16_t kGenreKey[] = u"TCON";
constexpr char16_t kCommentKey[] = u"COMM";
constexpr char16_t kLyricsKey[] = u"USLT";
constexpr char16_t kYearKey[] = u"TYER";
constexpr char16_t kTrackKey[] = u"TRCK";  // "n" or "n/N"
constexpr char16_t kDiscKey[] = u"TPOS";   // "n" or "n/N"

// The largest picture SetPicture takes.
constexpr size_t kLargestPicture = 16u * 1024 * 1024;

struct CoverImage {
    std::vector<uint8_t> Bytes;  // empty: no new cover
    std::string MimeType;        // "image/jpeg" or "image/png"
};

struct TagEdits {
    std::map<std::u16string, std::u16string> Texts;
    bool RemovePictures = false;  // every picture, before the new cover is added
    CoverImage Cover;

    bool Empty() const noexcept { return Texts.empty() && !RemovePictures && Cover.Bytes.empty(); }
    void Clear() { *this = TagEdits(); }
};

// Whether key names a text frame that SetText may write: four letters or digits starting
// with T, or TXXX with a description (perhaps empty) after a colon; not TXXX alone.
bool IsTextFrameKey(const std::u16string& key) noexcept;

// The MIME type of a picture by its first bytes: JPEG or PNG; "" for anything else.
std::string PictureMimeType(const uint8_t* bytes, size_t size) noexcept;
