// The six ID3v1 fields every lumex object carries, and the tag methods that fill,
// trim and hand them out.  The methods are the custom half of Ilumex.
#pragma once
#include <windows.h>
#include <oleauto.h>

struct TagRecord {
    char Title[31];
    char Artist[31];
    char Album[31];
    char Year[5];
    char Comment[31];
    unsigned char Genre;

    TagRecord() noexcept { Clear(); }
    // Empty texts and genre 255: the state before any load and after a failed one.
    void Clear() noexcept;

    // Reads the tag from the last 129 bytes of the file; S_OK whatever the file holds.
    HRESULT LoadMP3Head(BSTR strName) noexcept;
    HRESULT GetTitle(BSTR* pVal) const noexcept;
    HRESULT GetArtist(BSTR* pVal) const noexcept;
    HRESULT GetAlbum(BSTR* pVal) const noexcept;
    HRESULT GetProYear(BSTR* pVal) const noexcept;
    HRESULT GetComment(BSTR* pVal) const noexcept;
    HRESULT GetGenreNo(short* pVal) const noexcept;
    // Strips the trailing 0x20 bytes of the five text fields.
    HRESULT DoCutTailSp() noexcept;

    // Size of the read window: the 128-byte tag and one byte before it.
    static constexpr int kReadWindow = 129;
};

static_assert(sizeof(TagRecord) == 130, "the tag record's fields lie back to back");
