// Gathers what the frames of a file's tags say into its MediaTags, the first of each kind
// winning, within fixed bounds on what is kept however many frames a file holds.
#pragma once
#include "formats/id3v2/frame_bodies.h"
#include "formats/media_tags.h"

// Players keep data of their own in comments: loudness ("iTunNORM"), gapless playback
// ("iTunSMPB", "iTunPGAP"), disc lookups ("iTunes_CDDB_IDs").  No such comment is the
// Comment property.
bool IsPlayerNote(const std::u16string& description);

class TagAssembly {
public:
    // Text frames larger than this are not read at all.
    static constexpr size_t kLargestTextFrame = 1024 * 1024;

    explicit TagAssembly(MediaTags& tags) noexcept : tags_(tags) {}
    TagAssembly(const TagAssembly&) = delete;
    TagAssembly& operator=(const TagAssembly&) = delete;

    // A text frame of a tag of version (2, 3 or 4).
    void AddText(TextFrame&& frame, int version);
    void AddComment(CommentFrame&& frame);
    // The first lyrics frame, whatever its language and description.
    void AddLyrics(CommentFrame&& frame);
    // Whether a picture found now could still be the one kept: no front cover yet.
    bool WantsPicture() const noexcept { return !tags_.PictureFound || tags_.Picture.Type != 3; }
    void AddPicture(const PictureLocation& picture) noexcept;
    // Enough frames kept: the rest of every tag is passed over.
    bool Full() const noexcept { return frames_ >= kMostFrames || characters_ >= kMostCharacters; }

    // The properties that follow from the texts; after the last tag.
    void Finish();

private:
    static constexpr size_t kMostFrames = 4096;
    static constexpr size_t kMostCharacters = 4 * 1024 * 1024;

    // How good a comment is for the Comment property, from none to the best.
    enum class CommentRank { None, Described, Plain };

    bool Keep(size_t characters) noexcept;

    MediaTags& tags_;
    size_t frames_ = 0;
    size_t characters_ = 0;
    CommentRank commentRank_ = CommentRank::None;
    bool lyricsFound_ = false;
    // The year from the first year frame of its tag's version, and from the first of the other.
    long ownYear_ = 0;
    long otherYear_ = 0;
};
