// The TagFile object: the tags and audio properties of one MP3 file for automation clients.
// It has no window and no apartment state, and is registered with threading model "Both":
// its count is interlocked and its record is read and replaced under a lock of its own.
// Used on its own, its own unknown controls it; in an aggregate the outer object does,
// and the own unknown is the inner one handed to the outer object.
//
// Changes are kept in the object (Edits, and shown in Tags at once) until Save writes them.
//
// Where each part lives: creation, identity and lookup in tag_file_object.cpp; IDispatch,
// IProvideClassInfo and ISupportErrorInfo in tag_file_dispatch.cpp; Open and SavePicture
// in tag_file_open.cpp; the property gets and Text in tag_file_properties.cpp; the
// property puts, SetText, SetPicture and RemovePictures in tag_file_edits.cpp; Save in
// tag_file_save.cpp, over the file writing of file_rewrite.cpp.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <atomic>
#include <string>

#include "automation/tarvik.h"
#include "formats/media_format.h"
#include "formats/media_tags.h"
#include "formats/text_fields.h"
#include "module/interface_table.h"
#include "module/module_lock_holder.h"
#include "support/critical_section.h"
#include "support/unique_handle.h"
#include "formats/tag_edits.h"

class TagFileObject final : private ModuleLockHolder,
                            public ITagFile2,
                            public ISupportErrorInfo,
                            public IProvideClassInfo {
public:
    TagFileObject(const TagFileObject&) = delete;
    TagFileObject& operator=(const TagFileObject&) = delete;

    // The class table's instance maker: a plain object, or an aggregate's inner object
    // when outer is given (then only IUnknown may be asked for).
    static HRESULT WINAPI MakeInstance(IUnknown* outer, REFIID riid, void** ppv);

    // The interfaces in lookup order; the first answers IUnknown.
    static const InterfaceTableEntry Interfaces[];

    // IUnknown of every interface: the controlling unknown's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
    // ITagFile
    HRESULT STDMETHODCALLTYPE Open(BSTR path) override;
    HRESULT STDMETHODCALLTYPE get_Title(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Artist(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Album(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_AlbumArtist(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Composer(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Comment(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Genre(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Year(long* value) override;
    HRESULT STDMETHODCALLTYPE get_Track(long* value) override;
    HRESULT STDMETHODCALLTYPE get_TrackCount(long* value) override;
    HRESULT STDMETHODCALLTYPE get_Disc(long* value) override;
    HRESULT STDMETHODCALLTYPE get_DiscCount(long* value) override;
    HRESULT STDMETHODCALLTYPE get_Duration(double* value) override;
    HRESULT STDMETHODCALLTYPE get_Bitrate(long* value) override;
    HRESULT STDMETHODCALLTYPE get_SampleRate(long* value) override;
    HRESULT STDMETHODCALLTYPE get_Channels(long* value) override;
    HRESULT STDMETHODCALLTYPE get_TagTypes(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE Text(BSTR frameId, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE SavePicture(BSTR path, VARIANT_BOOL* saved) override;
    // ITagFile2
    HRESULT STDMETHODCALLTYPE get_Format(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_Lyrics(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Lyrics(BSTR value) override;
    HRESULT STDMETHODCALLTYPE SetText(BSTR frameId, BSTR value) override;
    HRESULT STDMETHODCALLTYPE SetPicture(BSTR imagePath) override;
    HRESULT STDMETHODCALLTYPE RemovePictures() override;
    HRESULT STDMETHODCALLTYPE Save() override;
    HRESULT STDMETHODCALLTYPE get_Modified(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Title(BSTR value) override;
    HRESULT STDMETHODCALLTYPE put_Artist(BSTR value) override;
    HRESULT STDMETHODCALLTYPE put_Album(BSTR value) override;
    HRESULT STDMETHODCALLTYPE put_AlbumArtist(BSTR value) override;
    HRESULT STDMETHODCALLTYPE put_Composer(BSTR value) override;
    HRESULT STDMETHODCALLTYPE put_Comment(BSTR value) override;
    HRESULT STDMETHODCALLTYPE put_Genre(BSTR value) override;
    HRESULT STDMETHODCALLTYPE put_Year(long value) override;
    HRESULT STDMETHODCALLTYPE put_Track(long value) override;
    HRESULT STDMETHODCALLTYPE put_TrackCount(long value) override;
    HRESULT STDMETHODCALLTYPE put_Disc(long value) override;
    HRESULT STDMETHODCALLTYPE put_DiscCount(long value) override;
    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;
    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;

private:
    // The object's own unknown: it counts the references and answers from the table.
    class OwnUnknown final : public IUnknown {
    public:
        explicit OwnUnknown(TagFileObject& object) noexcept : object_(object) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        TagFileObject& object_;
    };

    explicit TagFileObject(IUnknown* outer) noexcept;
    ~TagFileObject();

    // A text of the record as a new BSTR, read under the lock.
    HRESULT CopyText(const std::u16string MediaTags::*field, BSTR* value);
    // A number of the record, read under the lock.
    template <class Number>
    HRESULT CopyNumber(Number MediaTags::*field, Number* value);
    // Raises error information "<action> "<path>": <reason>" (the system's text for code
    // when reason is null) and returns code.
    HRESULT FailWithPath(HRESULT code, const wchar_t* action, const wchar_t* path, const wchar_t* reason);
    // Raises the error information of a picture that was not copied to target.
    HRESULT FailPictureCopy(PictureCopy copy, uint32_t error, const wchar_t* target);
    // Keeps an edit of key (see TagEdits; a property's key is kept under the format's own
    // name for it) and shows it in Tags, under the lock.
    HRESULT Edit(const std::u16string& key, const wchar_t* value);
    // Keeps key's edit as it is named, under the lock held.
    void KeepEdit(const std::u16string& key, const std::u16string& value);
    // A number pair ("3/12" of TRCK or TPOS) edited through one of its halves.
    HRESULT EditPair(const char16_t* key, bool ofCount, long value);
    // Reads the file at Path into Tags and notes its last write, under the lock; a failure
    // raises its error information and leaves the object empty.
    HRESULT LoadTags();
    // Save's work under the lock, on the file opened without sharing (closed on the way).
    HRESULT SaveOpenedFile(UniqueHandle& file);
    // Reads the file just saved into Tags; where that fails, keeps what the object showed.
    void ReadBackSavedFile();
    // Raises the error information of a save the writer refused.
    HRESULT FailRefusedSave(const SaveVerdict& verdict);

    OwnUnknown Own{*this};
    IUnknown* Controlling;  // Own, or the outer object of an aggregate (not counted)
    std::atomic<LONG> RefCount{0};
    CriticalSection StateLock;  // guards everything below
    MediaTags Tags;
    std::wstring Path;  // the file Tags came from, read again by SavePicture; "" until an Open succeeds
    FILETIME OpenedWriteTime{};  // the file's last write when Tags were read: Save refuses a file changed since
    TagEdits Edits;     // what Save will write
    MediaFormat Format = MediaFormat::Mp3;   // of the file opened, as its reader named it
    const FieldNames* KeyedNames = nullptr;  // the fields of a format of keyed texts; null for ID3v2 frames
};
