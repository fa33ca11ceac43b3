// What a media file says about itself: its tags' texts and numbers, the properties of its
// audio, and where its picture lies.  Knows nothing of COM; a TagFile object holds one.
#pragma once
#include <cstdint>
#include <map>
#include <string>

// Where the chosen picture's image bytes lie in the file: a raw run of it, read from
// RawStart (with unsynchronisation undone when set, AfterFF carrying a 0xFF just before),
// of which the first Skip bytes are the frame's encoding, MIME type, picture type and
// description, and the image is the next Size bytes or, without a known size, all the
// rest of the run.  FileSize is the size of the file it was found in: a file that has
// changed size since gives no picture rather than bytes of something else.
struct PictureLocation {
    static constexpr uint64_t kUnknownSize = ~0ull;

    uint64_t FileSize = 0;
    uint64_t RawStart = 0;
    uint64_t RawEnd = 0;
    uint64_t Skip = 0;
    uint64_t Size = kUnknownSize;
    bool Unsynchronised = false;
    bool AfterFF = false;
    uint8_t Type = 0;  // 3 is the front cover
    // An Ogg comment's METADATA_BLOCK_PICTURE: base64 of a FLAC picture, from RawStart on
    // the page at OggPage, Size characters long.
    bool OggBase64 = false;
    uint64_t OggPage = 0;
};

// Whether two keys are the same but for the letter case of ASCII letters.
bool EqualIgnoringAsciiCase(const std::u16string& a, const std::u16string& b) noexcept;

struct MediaTags {
    std::u16string Title, Artist, Album, AlbumArtist, Composer, Comment, Genre;
    long Year = 0, Track = 0, TrackCount = 0, Disc = 0, DiscCount = 0;
    double Duration = 0;  // seconds of audio
    long Bitrate = 0, SampleRate = 0, Channels = 0;  // kbit/s (average for VBR), Hz, 1 or 2; 0 when no audio
    std::u16string TagTypes;  // "ID3v2.3 ID3v1.1", "" for none
    std::u16string Format;  // "MP3", "FLAC", "MP4", "Ogg Vorbis", "Opus", "WAV", "AIFF", "WMA", "" for none
    std::u16string Lyrics;    // the first unsynchronised lyrics frame, of any language

    // Every text frame under its 2.3/2.4 identifier ("TBPM", "TXXX:description"), the
    // first of each; its values joined "; ".  Other formats keep their own keys (a Vorbis
    // comment's field name, an MP4 item, an ASF attribute, a RIFF INFO identifier), every
    // value of a key joined "; ", and answer them in any letter case.
    std::map<std::u16string, std::u16string> Texts;
    bool TextKeysIgnoreCase = false;
    bool PictureFound = false;
    PictureLocation Picture;

    void Clear() { *this = MediaTags(); }
    // Null when absent; for keys that ignore case, the first in any case.
    const std::u16string* FindText(const std::u16string& frameId) const;
    bool HasPicture() const noexcept { return PictureFound; }
    // Keeps picture if it is the first, or the first front cover.
    void OfferPicture(const PictureLocation& picture) noexcept;
};
