// The TagFile object as a client sees it: its interfaces and identity, alone and in an
// aggregate, what Open leaves after a failure and why, and what SavePicture writes.
#include <gtest/gtest.h>

#include <ocidl.h>

#include <vector>

#include "common/format_fixtures.h"
#include "common/outer_object.h"
#include "common/temp_files.h"
#include "tag_file_client.h"

namespace {

class TagFileObject : public testing::Test {
protected:
    void TearDown() override {
        tag.Reset();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }

    void ExpectEmpty() {
        for (auto getter : {&ITagFile::get_Title, &ITagFile::get_Artist, &ITagFile::get_Genre, &ITagFile::get_TagTypes}) {
            EXPECT_EQ(TextOf(tag.Get(), getter), L"");
        }
        double duration = -1;
        long rate = -1;
        VARIANT_BOOL saved = VARIANT_TRUE;
        EXPECT_EQ(tag->get_Duration(&duration), S_OK);
        EXPECT_EQ(tag->get_SampleRate(&rate), S_OK);
        EXPECT_EQ(duration, 0.0);
        EXPECT_EQ(rate, 0);
        UniqueBstr target(SysAllocString((folder.Path() + L"\\nothing.bin").c_str()));
        EXPECT_EQ(tag->SavePicture(target.Get(), &saved), S_OK);
        EXPECT_EQ(saved, VARIANT_FALSE);
    }

    RegisteredTypeLibrary registration;
    LoadedServer server;
    ScratchFolder folder;
    InterfacePtr<ITagFile> tag = server.Create<ITagFile>(kITagFileIid, kTagFileClsid);
};

}  // namespace

TEST_F(TagFileObject, AnswersItsInterfacesWithOneIdentityAndDescribesItsClass) {
    ASSERT_TRUE(tag);
    InterfacePtr<IUnknown> identity;
    ASSERT_EQ(tag->QueryInterface(IID_IUnknown, identity.ReceiveVoid()), S_OK);
    for (const IID* iid :
         {&kITagFile2Iid, &kITagFileIid, &IID_IDispatch, &IID_ISupportErrorInfo, &IID_IProvideClassInfo}) {
        InterfacePtr<IUnknown> answer;
        InterfacePtr<IUnknown> again;
        ASSERT_EQ(tag->QueryInterface(*iid, answer.ReceiveVoid()), S_OK);
        ASSERT_EQ(answer->QueryInterface(IID_IUnknown, again.ReceiveVoid()), S_OK);
        EXPECT_EQ(again.Get(), identity.Get());
    }
    InterfacePtr<IUnknown> none;
    EXPECT_EQ(tag->QueryInterface(IID_IOleObject, none.ReceiveVoid()), E_NOINTERFACE);
    EXPECT_EQ(tag->QueryInterface(kITagFileIid, nullptr), E_POINTER);

    InterfacePtr<ISupportErrorInfo> errors;
    ASSERT_EQ(tag->QueryInterface(IID_ISupportErrorInfo, errors.ReceiveVoid()), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(kITagFileIid), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    InterfacePtr<IProvideClassInfo> provider;
    ASSERT_EQ(tag->QueryInterface(IID_IProvideClassInfo, provider.ReceiveVoid()), S_OK);
    InterfacePtr<ITypeInfo> coclass;
    ASSERT_EQ(provider->GetClassInfo(coclass.Receive()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kTagFileClsid));
    coclass->ReleaseTypeAttr(attributes);
    InterfacePtr<ITypeInfo> info;
    EXPECT_EQ(tag->GetTypeInfo(1, 0, info.Receive()), DISP_E_BADINDEX);
    EXPECT_EQ(tag->GetTypeInfo(0, 0, info.Receive()), S_OK);
}

TEST_F(TagFileObject, LivesInsideAnOuterObjectThatHoldsOnlyItsUnknown) {
    OuterObject outer;
    InterfacePtr<IClassFactory> factory = server.Factory(kTagFileClsid);
    ASSERT_TRUE(factory);
    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, kITagFileIid, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, outer.Inner.ReceiveVoid()), S_OK);
    InterfacePtr<ITagFile> inner;
    ASSERT_EQ(outer.Inner->QueryInterface(kITagFileIid, inner.ReceiveVoid()), S_OK);
    EXPECT_EQ(outer.Count, 2);  // counted on the outer object
    InterfacePtr<IUnknown> identity;
    ASSERT_EQ(inner->QueryInterface(IID_IUnknown, identity.ReceiveVoid()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    identity.Reset();
    inner.Reset();
    factory.Reset();
    outer.Destroy();
    EXPECT_EQ(outer.CallsWhileDying, 0);
}

TEST_F(TagFileObject, AFailedOpenEmptiesTheObjectAndNamesTheFileAndTheReason) {
    const std::wstring v1 = folder.WriteFile(L"v1.mp3", MakeTag("Title", "Artist", "", "1999", "", 17));
    ASSERT_EQ(OpenFile(tag.Get(), v1), S_OK);
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Genre), L"Rock");
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_TagTypes), L"ID3v1");

    const std::wstring missing = folder.Path() + L"\\missing.mp3";
    EXPECT_EQ(OpenFile(tag.Get(), missing), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    const std::wstring description = ErrorDescription();
    EXPECT_EQ(description.rfind(L"Cannot open \"" + missing + L"\": ", 0), 0u) << description.c_str();
    ExpectEmpty();
    // A folder, a device and a pipe are no files on a disk; an empty name is none at all.
    ASSERT_EQ(OpenFile(tag.Get(), v1), S_OK);
    EXPECT_EQ(OpenFile(tag.Get(), folder.Path()), E_ACCESSDENIED);
    ExpectEmpty();
    EXPECT_EQ(OpenFile(tag.Get(), L"NUL"), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(ErrorDescription(), L"Cannot open \"NUL\": it is not a file on a disk");
    EXPECT_EQ(tag->Open(nullptr), E_INVALIDARG);
    ExpectEmpty();
}

TEST_F(TagFileObject, SavePictureReplacesTheTargetOnlyWhenThereIsAPicture) {
    const std::wstring target = folder.WriteFile(L"cover.bin", std::vector<unsigned char>(5000, 0x55));
    UniqueBstr name(SysAllocString(target.c_str()));
    VARIANT_BOOL saved = VARIANT_TRUE;
    ASSERT_EQ(OpenFile(tag.Get(), FormatFixturePath(L"cbr-mono-22k.mp3")), S_OK);
    EXPECT_EQ(tag->SavePicture(name.Get(), &saved), S_OK);
    EXPECT_EQ(saved, VARIANT_FALSE);
    EXPECT_EQ(ReadWholeFile(target).size(), 5000u);  // untouched
    ASSERT_EQ(OpenFile(tag.Get(), FormatFixturePath(L"cbr-stereo-44k.mp3")), S_OK);
    EXPECT_EQ(tag->SavePicture(name.Get(), &saved), S_OK);
    EXPECT_EQ(saved, VARIANT_TRUE);
    EXPECT_EQ(ReadWholeFile(target), ReadWholeFile(FormatFixturePath(L"cbr-stereo-44k.mp3.cover")));
    EXPECT_EQ(tag->SavePicture(name.Get(), nullptr), E_POINTER);
}

TEST_F(TagFileObject, EveryGetterRefusesANullPointerAndTextAnswersByIdentifier) {
    ASSERT_EQ(OpenFile(tag.Get(), FormatFixturePath(L"cbr-stereo-44k.mp3")), S_OK);
    for (auto getter : {&ITagFile::get_Title, &ITagFile::get_Artist, &ITagFile::get_Album, &ITagFile::get_AlbumArtist,
                        &ITagFile::get_Composer, &ITagFile::get_Comment, &ITagFile::get_Genre,
                        &ITagFile::get_TagTypes}) {
        EXPECT_EQ((tag.Get()->*getter)(nullptr), E_POINTER);
    }
    for (auto getter : {&ITagFile::get_Year, &ITagFile::get_Track, &ITagFile::get_TrackCount, &ITagFile::get_Disc,
                        &ITagFile::get_DiscCount, &ITagFile::get_Bitrate, &ITagFile::get_SampleRate,
                        &ITagFile::get_Channels}) {
        EXPECT_EQ((tag.Get()->*getter)(nullptr), E_POINTER);
    }
    EXPECT_EQ(tag->get_Duration(nullptr), E_POINTER);
    UniqueBstr value;
    UniqueBstr id(SysAllocString(L"tbpm"));
    EXPECT_EQ(tag->Text(id.Get(), value.Receive()), S_OK);
    EXPECT_STREQ(value.Get(), L"120");
    EXPECT_EQ(tag->Text(nullptr, value.Receive()), S_OK);
    EXPECT_STREQ(value.Get(), L"");
    EXPECT_EQ(tag->Text(id.Get(), nullptr), E_POINTER);
}

TEST_F(TagFileObject, SavePictureSaysWhyWhenItsSourceHasChangedOrGoneAndLeavesNoFile) {
    const std::wstring source = folder.WriteFile(L"song.mp3", ReadWholeFile(FormatFixturePath(L"cbr-stereo-44k.mp3")));
    const std::wstring target = folder.Path() + L"\\cover.jpg";
    UniqueBstr name(SysAllocString(target.c_str()));
    VARIANT_BOOL saved = VARIANT_TRUE;
    ASSERT_EQ(OpenFile(tag.Get(), source), S_OK);
    std::vector<unsigned char> longer = ReadWholeFile(source);
    longer.push_back(0);
    folder.WriteFile(L"song.mp3", longer);
    // An error left by an earlier call on this thread is not the reason.
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(tag->SavePicture(name.Get(), &saved), HRESULT_FROM_WIN32(ERROR_FILE_INVALID));
    EXPECT_EQ(ErrorDescription(), L"Cannot read \"" + source + L"\": the file has changed since it was opened");
    EXPECT_EQ(saved, VARIANT_FALSE);
    ASSERT_TRUE(DeleteFileW(source.c_str()));
    EXPECT_EQ(tag->SavePicture(name.Get(), &saved), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorDescription().rfind(L"Cannot open \"" + source + L"\": ", 0), 0u) << ErrorDescription();
    for (const std::wstring& left : {target, target + L".tarvik-partial"}) {
        EXPECT_EQ(GetFileAttributesW(left.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}
