// The TagFile object's changes: the property puts, SetText, SetPicture and RemovePictures.
// Each is kept in Edits until Save and shown in Tags at once; nothing touches the file
// but SetPicture's read of the image.
#include "tagfile/tag_file_object.h"

#include <new>
#include <vector>

#include "support/disk_file.h"
#include "support/last_error.h"
#include "formats/edit_keys.h"
#include "formats/edit_view.h"

namespace {

std::u16string TextOf(const wchar_t* value) {
    return value != nullptr ? std::u16string(reinterpret_cast<const char16_t*>(value)) : std::u16string();
}

// A number as the tag writes it: decimal, "" for 0.
std::u16string NumberText(long value, int digits = 1) {
    std::u16string text;
    for (; value > 0 || static_cast<int>(text.size()) < digits; value /= 10) {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    }
    return text;
}

// The image file's bytes, when it is a JPEG or PNG no larger than kLargestPicture.
HRESULT ReadPictureFile(const wchar_t* path, CoverImage& cover, const wchar_t** reason) {
    HRESULT code = S_OK;
    const UniqueHandle file = OpenDiskFileForReading(path, &code);
    if (code == kNotAFileOnADisk) *reason = L"it is not a file on a disk";
    if (!file.IsValid()) return code;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return LastErrorResult();
    if (static_cast<ULONGLONG>(size.QuadPart) > kLargestPicture) {
        *reason = L"the picture is larger than 16 MB";
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    }
    cover.Bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!cover.Bytes.empty() &&
        !::ReadFile(file.Get(), cover.Bytes.data(), static_cast<DWORD>(cover.Bytes.size()), &read, nullptr)) {
        return LastErrorResult();
    }
    cover.Bytes.resize(read);
    cover.MimeType = PictureMimeType(cover.Bytes.data(), cover.Bytes.size());
    if (cover.MimeType.empty()) {
        *reason = L"it is neither a JPEG nor a PNG image";
        return HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
    }
    return S_OK;
}

}  // namespace

void TagFileObject::KeepEdit(const std::u16string& key, const std::u16string& value) {
    // One edit a field: another of its names edited before gives way.
    if (KeyedNames != nullptr) {
        for (const std::u16string& name : FieldKeysOf(*KeyedNames, key)) {
            for (auto edit = Edits.Texts.begin(); edit != Edits.Texts.end();) {
                edit = EqualIgnoringAsciiCase(edit->first, name) ? Edits.Texts.erase(edit) : std::next(edit);
            }
        }
    }
    Edits.Texts[key] = value;
    ShowEdit(KeyedNames, key, value, Tags);
}

HRESULT TagFileObject::Edit(const std::u16string& key, const wchar_t* value) {
    try {
        const std::u16string text = TextOf(value);
        SectionLock lock(StateLock);
        KeepEdit(EditKeyFor(KeyedNames, key), text);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT TagFileObject::EditPair(const char16_t* key, bool ofCount, long value) {
    if (value < 0) return E_INVALIDARG;
    try {
        SectionLock lock(StateLock);
        const bool track = key[1] == u'R';  // TRCK, else TPOS
        const long first = ofCount ? (track ? Tags.Track : Tags.Disc) : value;
        const long count = ofCount ? value : (track ? Tags.TrackCount : Tags.DiscCount);
        const PairKeys keys = PairKeysFor(KeyedNames, key);
        if (!keys.Count.empty()) {
            // The number and the count under keys of their own: "" where 0.
            KeepEdit(keys.Number, first != 0 ? NumberText(first) : std::u16string());
            KeepEdit(keys.Count, count != 0 ? NumberText(count) : std::u16string());
            return S_OK;
        }
        // "n", or "n/N" with a count; nothing where both are 0.
        std::u16string text;
        if (first != 0 || count != 0) text = NumberText(first) + (count != 0 ? u"/" + NumberText(count) : u"");
        KeepEdit(keys.Number, text);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TagFileObject::put_Title(BSTR value) { return Edit(kTitleKey, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_Artist(BSTR value) { return Edit(kArtistKey, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_Album(BSTR value) { return Edit(kAlbumKey, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_AlbumArtist(BSTR value) { return Edit(kAlbumArtistKey, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_Composer(BSTR value) { return Edit(kComposerKey, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_Comment(BSTR value) { return Edit(kCommentKey, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_Genre(BSTR value) { return Edit(kGenreKey, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_Lyrics(BSTR value) { return Edit(kLyricsKey, value); }

HRESULT STDMETHODCALLTYPE TagFileObject::put_Year(long value) {
    // The readers take a year of four digits.
    if (value < 0 || value > 9999) return E_INVALIDARG;
    try {
        const std::u16string text = value == 0 ? std::u16string() : NumberText(value, 4);
        return Edit(kYearKey, reinterpret_cast<const wchar_t*>(text.c_str()));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TagFileObject::put_Track(long value) { return EditPair(kTrackKey, false, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_TrackCount(long value) { return EditPair(kTrackKey, true, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_Disc(long value) { return EditPair(kDiscKey, false, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::put_DiscCount(long value) { return EditPair(kDiscKey, true, value); }

HRESULT STDMETHODCALLTYPE TagFileObject::SetText(BSTR frameId, BSTR value) {
    try {
        std::u16string key = TextOf(frameId);
        MediaFormat format = MediaFormat::Mp3;
        bool keyed = false;
        {
            SectionLock lock(StateLock);
            format = Format;
            keyed = KeyedNames != nullptr;
        }
        if (!SettableKey(format, key)) {
            return FailWithPath(E_INVALIDARG, L"Cannot set", frameId != nullptr ? frameId : L"",
                                keyed ? L"it is not the name of a text field in this file's format"
                                      : L"it is not the identifier of a text frame (such as TBPM or TXXX:description)");
        }
        if (!keyed) return Edit(key == u"TDRC" ? kYearKey : key, value);
        // A format's own name is kept as it is, never taken for a property's.
        const std::u16string text = TextOf(value);
        SectionLock lock(StateLock);
        KeepEdit(key, text);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TagFileObject::SetPicture(BSTR imagePath) {
    const wchar_t* path = imagePath != nullptr ? imagePath : L"";
    try {
        CoverImage cover;
        const wchar_t* reason = nullptr;
        const HRESULT code = ReadPictureFile(path, cover, &reason);
        if (FAILED(code)) return FailWithPath(code, L"Cannot use the picture", path, reason);
        SectionLock lock(StateLock);
        Edits.Cover = std::move(cover);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TagFileObject::RemovePictures() {
    SectionLock lock(StateLock);
    Edits.RemovePictures = true;
    Edits.Cover = CoverImage();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TagFileObject::get_Modified(VARIANT_BOOL* value) {
    if (value == nullptr) return E_POINTER;
    SectionLock lock(StateLock);
    *value = Edits.Empty() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}
