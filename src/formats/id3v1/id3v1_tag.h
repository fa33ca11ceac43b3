// The 128-byte ID3v1 tag at the end of a file ("TAG"), and ID3v1.1's track number.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/media_source.h"

struct Id3v1Tag {
    std::u16string Title, Artist, Album, Comment, Genre;
    long Year = 0;
    long Track = 0;  // ID3v1.1 only
    bool HasTrack = false;
};

// The text fields, to say which of them a parse decodes: a field that ID3v2 already gives
// need not cost a conversion.
enum Id3v1Texts : unsigned {
    kId3v1Title = 1,
    kId3v1Artist = 2,
    kId3v1Album = 4,
    kId3v1Comment = 8,
    kId3v1Genre = 16,
    kId3v1AllTexts = 31
};

// The tag in bytes (128 of them); false without the marker.  Text goes through the
// source's code page (the system's, as the lumex control reads it), without trailing
// blanks and NULs; the texts not named in texts are left empty.
bool ParseId3v1Tag(const uint8_t* bytes, MediaSource& source, Id3v1Tag& tag, unsigned texts = kId3v1AllTexts);
