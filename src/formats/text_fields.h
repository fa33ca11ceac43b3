// The tags of the formats that keep them as keyed texts (Vorbis comments, MP4 items, ASF
// attributes, RIFF INFO): every value of a key gathered under it within the same fixed
// bounds as ID3v2 frames, and the properties read from the keys each format uses for them.
#pragma once
#include <array>
#include <cstddef>
#include <string>

#include "formats/media_tags.h"

// The keys a format keeps each property under, the first present winning; null for none.
// Track and Disc hold "3" or "3/12"; the counts are read from the second key list where
// the pair gives none.
struct FieldNames {
    using Keys = std::array<const char16_t*, 2>;
    Keys Title, Artist, Album, AlbumArtist, Composer, Comment, Genre, Year, Track, TrackCount, Disc, DiscCount, Lyrics;
};

class TextFields {
public:
    // Values larger than this are not read at all.
    static constexpr size_t kLargestValue = 1024 * 1024;

    explicit TextFields(MediaTags& tags) noexcept : tags_(tags) { tags.TextKeysIgnoreCase = true; }
    TextFields(const TextFields&) = delete;
    TextFields& operator=(const TextFields&) = delete;

    // A value of key, after those it already has; an empty value is dropped.
    void Add(const std::u16string& key, const std::u16string& value);
    bool Empty() const noexcept { return values_ == 0; }
    // Enough kept: the rest of the tags is passed over.
    bool Full() const noexcept { return values_ >= kMostValues || characters_ >= kMostCharacters; }
    // The properties from the kept texts.
    void Finish(const FieldNames& names);

private:
    static constexpr size_t kMostValues = 4096;
    static constexpr size_t kMostCharacters = 4 * 1024 * 1024;

    MediaTags& tags_;
    size_t values_ = 0;
    size_t characters_ = 0;
};

// Appends a name to a space-separated list of them ("FLAC", then "FLAC ID3v2.3").
void AddTagType(std::u16string& types, const std::u16string& name);
