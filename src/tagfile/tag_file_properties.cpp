// The TagFile object's property gets and Text: each reads the record under the lock.
#include "tagfile/tag_file_object.h"

#include <cwctype>
#include <new>

namespace {

HRESULT CopyOut(const std::u16string& text, BSTR* value) {
    *value = SysAllocStringLen(reinterpret_cast<const wchar_t*>(text.data()), static_cast<UINT>(text.size()));
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

// Frame identifiers are upper case; a description after "TXXX:" is kept as written.
std::u16string NormalizeFrameId(const wchar_t* frameId) {
    std::u16string id(reinterpret_cast<const char16_t*>(frameId));
    for (size_t i = 0; i < id.size() && i < 4; ++i) id[i] = static_cast<char16_t>(std::towupper(id[i]));
    return id;
}

}  // namespace

HRESULT TagFileObject::CopyText(const std::u16string MediaTags::*field, BSTR* value) {
    if (value == nullptr) return E_POINTER;
    SectionLock lock(StateLock);
    return CopyOut(Tags.*field, value);
}

template <class Number>
HRESULT TagFileObject::CopyNumber(Number MediaTags::*field, Number* value) {
    if (value == nullptr) return E_POINTER;
    SectionLock lock(StateLock);
    *value = Tags.*field;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TagFileObject::get_Title(BSTR* value) { return CopyText(&MediaTags::Title, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Artist(BSTR* value) { return CopyText(&MediaTags::Artist, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Album(BSTR* value) { return CopyText(&MediaTags::Album, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_AlbumArtist(BSTR* value) {
    return CopyText(&MediaTags::AlbumArtist, value);
}
HRESULT STDMETHODCALLTYPE TagFileObject::get_Composer(BSTR* value) { return CopyText(&MediaTags::Composer, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Comment(BSTR* value) { return CopyText(&MediaTags::Comment, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Genre(BSTR* value) { return CopyText(&MediaTags::Genre, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_TagTypes(BSTR* value) { return CopyText(&MediaTags::TagTypes, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Format(BSTR* value) { return CopyText(&MediaTags::Format, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Lyrics(BSTR* value) { return CopyText(&MediaTags::Lyrics, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Year(long* value) { return CopyNumber(&MediaTags::Year, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Track(long* value) { return CopyNumber(&MediaTags::Track, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_TrackCount(long* value) {
    return CopyNumber(&MediaTags::TrackCount, value);
}
HRESULT STDMETHODCALLTYPE TagFileObject::get_Disc(long* value) { return CopyNumber(&MediaTags::Disc, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_DiscCount(long* value) { return CopyNumber(&MediaTags::DiscCount, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Duration(double* value) { return CopyNumber(&MediaTags::Duration, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_Bitrate(long* value) { return CopyNumber(&MediaTags::Bitrate, value); }
HRESULT STDMETHODCALLTYPE TagFileObject::get_SampleRate(long* value) {
    return CopyNumber(&MediaTags::SampleRate, value);
}
HRESULT STDMETHODCALLTYPE TagFileObject::get_Channels(long* value) { return CopyNumber(&MediaTags::Channels, value); }

HRESULT STDMETHODCALLTYPE TagFileObject::Text(BSTR frameId, BSTR* value) {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    try {
        const std::u16string id = NormalizeFrameId(frameId != nullptr ? frameId : L"");
        SectionLock lock(StateLock);
        const std::u16string* text = Tags.FindText(id);
        return CopyOut(text != nullptr ? *text : std::u16string(), value);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
