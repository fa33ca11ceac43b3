#include "tag/tag_record.h"

#include <cstring>

#include "support/disk_file.h"
#include "tag/com_error.h"
#include "tag/text_holder.h"

namespace {

// Buffer positions 0 to 129: the window read and one byte that always stays 0.
constexpr int kBufferSize = TagRecord::kReadWindow + 1;
constexpr int kGenreOffset = 127;
constexpr unsigned char kMarker[3] = {0x54, 0x41, 0x47};  // "TAG"

// Finds the first marker at positions 0 to 127; -1 when there is none.
int FindMarker(const unsigned char* buffer) {
    for (int p = 0; p <= 127; ++p) {
        if (std::memcmp(buffer + p, kMarker, sizeof kMarker) == 0) return p;
    }
    return -1;
}

// Copies the bytes of one field that were read from the file; the rest keep their
// cleared value.  For the text fields that is the same as copying the buffer's zero fill;
// for the genre it keeps 255, "no genre read", instead of a genre 0 the file never held.
void CopyField(const unsigned char* buffer, int read, int marker, int offset, int length, char* field) {
    for (int k = 0; k < length; ++k) {
        const int position = marker + offset + k;
        if (position >= read) return;
        field[k] = static_cast<char>(buffer[position]);
    }
}

// Reads up to the last 129 bytes of the file into buffer; returns the count read,
// 0 when the file cannot be opened or is no file on a disk.  The file is opened by the
// caller's wide name as it is: an ANSI form would turn characters the code page lacks into
// look-alikes or '?', and so name another file (a fullwidth reverse solidus would become a
// folder separator).
DWORD ReadTail(const wchar_t* path, unsigned char* buffer) {
    HRESULT failure = S_OK;
    const UniqueHandle file = OpenDiskFileForReading(path, &failure);
    if (!file.IsValid()) return 0;
    // Fails for files under 129 bytes, leaving the pointer at the start: the read then
    // takes the whole file.
    SetFilePointer(file.Get(), -TagRecord::kReadWindow, nullptr, FILE_END);
    DWORD read = 0;
    ReadFile(file.Get(), buffer, TagRecord::kReadWindow, &read, nullptr);
    return read;
}

HRESULT CopyFieldOut(const char* field, BSTR* pVal) noexcept {
    if (pVal == nullptr) return E_POINTER;
    return GuardBoundary([&] {
        TextHolder text = TextHolder::FromAnsi(field);
        *pVal = text.CopyOut();
        return S_OK;
    });
}

void CutTrailingBlanks(char* field) {
    for (int i = lstrlenA(field) - 1; i >= 0 && field[i] == 0x20; --i) field[i] = 0;
}

}  // namespace

void TagRecord::Clear() noexcept {
    std::memset(Title, 0, sizeof Title);
    std::memset(Artist, 0, sizeof Artist);
    std::memset(Album, 0, sizeof Album);
    std::memset(Year, 0, sizeof Year);
    std::memset(Comment, 0, sizeof Comment);
    Genre = 255;
}

HRESULT TagRecord::LoadMP3Head(BSTR strName) noexcept {
    Clear();
    if (strName == nullptr) return S_OK;
    return GuardBoundary([&] {
        TextHolder path = TextHolder::FromWide(strName);
        if (path.Length() == 0) return S_OK;
        unsigned char buffer[kBufferSize] = {};
        const int read = static_cast<int>(ReadTail(path.Wide(), buffer));
        if (read == 0) return S_OK;
        const int marker = FindMarker(buffer);
        if (marker < 0) return S_OK;
        CopyField(buffer, read, marker, 3, 30, Title);
        CopyField(buffer, read, marker, 33, 30, Artist);
        CopyField(buffer, read, marker, 63, 30, Album);
        CopyField(buffer, read, marker, 93, 4, Year);
        CopyField(buffer, read, marker, 97, 30, Comment);
        if (marker + kGenreOffset < read) Genre = buffer[marker + kGenreOffset];
        return S_OK;
    });
}

HRESULT TagRecord::GetTitle(BSTR* pVal) const noexcept { return CopyFieldOut(Title, pVal); }
HRESULT TagRecord::GetArtist(BSTR* pVal) const noexcept { return CopyFieldOut(Artist, pVal); }
HRESULT TagRecord::GetAlbum(BSTR* pVal) const noexcept { return CopyFieldOut(Album, pVal); }
HRESULT TagRecord::GetProYear(BSTR* pVal) const noexcept { return CopyFieldOut(Year, pVal); }
HRESULT TagRecord::GetComment(BSTR* pVal) const noexcept { return CopyFieldOut(Comment, pVal); }

HRESULT TagRecord::GetGenreNo(short* pVal) const noexcept {
    if (pVal == nullptr) return E_POINTER;
    *pVal = static_cast<short>(static_cast<unsigned short>(Genre));
    return S_OK;
}

HRESULT TagRecord::DoCutTailSp() noexcept {
    CutTrailingBlanks(Title);
    CutTrailingBlanks(Artist);
    CutTrailingBlanks(Album);
    CutTrailingBlanks(Year);
    CutTrailingBlanks(Comment);
    return S_OK;
}
