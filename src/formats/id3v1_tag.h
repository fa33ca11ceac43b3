// The 128-byte ID3v1 tag at the end of a file ("TAG"), and ID3v1.1's track number.
#pragma once
#include <windows.h>

#include <string>

struct Id3v1Tag {
    std::wstring Title, Artist, Album, Comment, Genre;
    long Year = 0;
    long Track = 0;  // ID3v1.1 only
    bool HasTrack = false;
};

// The tag in bytes (128 of them); false without the marker.  Text goes through the
// system code page, as the lumex control reads it, without trailing blanks and NULs.
bool ParseId3v1Tag(const BYTE* bytes, Id3v1Tag& tag);
