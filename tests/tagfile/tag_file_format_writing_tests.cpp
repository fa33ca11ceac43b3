// Writing every format through ITagFile2 as a client sees it: for a file of each format the
// tools made, every property put, a cover set, Save, and a fresh object reads back exactly
// what was put; twins saved alike are identical; "" and 0 remove every field and the cover;
// a save with nothing modified writes nothing.  The saved files are left for mutagen too.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/format_fixtures.h"
#include "common/media_bytes.h"
#include "common/source_tree.h"
#include "common/temp_files.h"
#include "tag_file_client.h"

namespace {

using TextPut = HRESULT (STDMETHODCALLTYPE ITagFile2::*)(BSTR);
using TextGet = HRESULT (STDMETHODCALLTYPE ITagFile::*)(BSTR*);
using NumberPut = HRESULT (STDMETHODCALLTYPE ITagFile2::*)(long);
using NumberGet = HRESULT (STDMETHODCALLTYPE ITagFile::*)(long*);

const struct TextField {
    const char* Name;
    TextPut Put;
    TextGet Get;
    const wchar_t* Value;
} kTexts[] = {
    {"title", &ITagFile2::put_Title, &ITagFile::get_Title, L"Gr\u00FC\u00DFe \u65E5\u672C \U0001D11E"},
    {"artist", &ITagFile2::put_Artist, &ITagFile::get_Artist, L"One; Two"},
    {"album", &ITagFile2::put_Album, &ITagFile::get_Album, L"\u00C4lbum"},
    {"albumartist", &ITagFile2::put_AlbumArtist, &ITagFile::get_AlbumArtist, L"Various"},
    {"composer", &ITagFile2::put_Composer, &ITagFile::get_Composer, L"Composer \u4F5C"},
    {"comment", &ITagFile2::put_Comment, &ITagFile::get_Comment, L"Kommentar"},
    {"genre", &ITagFile2::put_Genre, &ITagFile::get_Genre, L"Jazz"},
};

const struct NumberField {
    const char* Name;
    NumberPut Put;
    NumberGet Get;
    long Value;
} kNumbers[] = {
    {"year", &ITagFile2::put_Year, &ITagFile::get_Year, 2024},
    {"track", &ITagFile2::put_Track, &ITagFile::get_Track, 3},
    {"trackcount", &ITagFile2::put_TrackCount, &ITagFile::get_TrackCount, 12},
    {"disc", &ITagFile2::put_Disc, &ITagFile::get_Disc, 1},
    {"disccount", &ITagFile2::put_DiscCount, &ITagFile::get_DiscCount, 2},
};

const wchar_t kLyrics[] = L"Line one\nLine two";

// One file of each format and form the tools make.
const struct FormatFile {
    const wchar_t* Fixture;
    const wchar_t* Format;
} kFiles[] = {
    {L"stereo-44k.flac", L"FLAC"},       {L"stereo-44k.ogg", L"Ogg Vorbis"}, {L"mono-48k.opus", L"Opus"},
    {L"stereo-44k-aac.m4a", L"MP4"},    {L"mono-22k-alac.m4a", L"MP4"},
    {L"stereo-44k-id3.wav", L"WAV"},     {L"mono-22k-info.wav", L"WAV"},     {L"stereo-44k.aiff", L"AIFF"},
    {L"mono-48k.aifc", L"AIFF"},         {L"stereo-44k.wma", L"WMA"},
};

std::string Utf8Of(const std::wstring& text) {
    std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), 0);
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
    out.pop_back();
    return out;
}

class TagFileFormatWriting : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(server.CanUnloadNow(), S_OK); }

    InterfacePtr<ITagFile2> NewTag() { return server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid); }

    // Every property put (or removed, with "" and 0) and the cover set (or removed), then saved.
    void SaveEverything(const std::wstring& path, bool remove) {
        InterfacePtr<ITagFile2> tag = NewTag();
        ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
        for (const TextField& field : kTexts) ASSERT_EQ(Put(tag.Get(), field.Put, remove ? L"" : field.Value), S_OK);
        for (const NumberField& field : kNumbers) ASSERT_EQ((tag.Get()->*field.Put)(remove ? 0 : field.Value), S_OK);
        UniqueBstr lyrics(SysAllocString(remove ? L"" : kLyrics));
        ASSERT_EQ(tag->put_Lyrics(lyrics.Get()), S_OK);
        if (remove) {
            ASSERT_EQ(tag->RemovePictures(), S_OK);
        } else {
            UniqueBstr cover(SysAllocString(cover_.c_str()));
            ASSERT_EQ(tag->SetPicture(cover.Get()), S_OK);
        }
        ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    }

    // What a fresh object reads from path: each property as put, or empty.
    void ExpectEverything(const std::wstring& path, const wchar_t* format, bool removed) {
        InterfacePtr<ITagFile2> tag = NewTag();
        ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
        UniqueBstr named;
        ASSERT_EQ(tag->get_Format(named.Receive()), S_OK);
        EXPECT_STREQ(named.Get(), format);
        for (const TextField& field : kTexts) {
            EXPECT_EQ(TextOf(tag.Get(), field.Get), removed ? L"" : field.Value) << field.Name;
        }
        for (const NumberField& field : kNumbers) {
            EXPECT_EQ(NumberOf(tag.Get(), field.Get), removed ? 0 : field.Value) << field.Name;
        }
        UniqueBstr lyrics;
        ASSERT_EQ(tag->get_Lyrics(lyrics.Receive()), S_OK);
        EXPECT_EQ(std::wstring(lyrics.Get(), lyrics.Length()), removed ? L"" : kLyrics);
        VARIANT_BOOL saved = VARIANT_FALSE;
        UniqueBstr target(SysAllocString((folder.Path() + L"\\cover-back.png").c_str()));
        EXPECT_EQ(tag->SavePicture(target.Get(), &saved), S_OK);
        EXPECT_EQ(saved != VARIANT_FALSE, !removed);
        if (!removed) {
            EXPECT_EQ(ReadWholeFile(target.Get()), ReadWholeFile(cover_));
        }
    }

    // A saved file for check-written-tags.py, with what mutagen must read there.
    static void LeaveForOtherReaders(const std::wstring& path, const std::wstring& name) {
        const char* written = std::getenv("TARVIK_WRITTEN_TAGS");
        if (written == nullptr) return;
        const std::string base = std::string(written) + "/" + Utf8Of(name);
        const std::wstring target = WindowsPathOfUnixPath(std::wstring(base.begin(), base.end()));
        EXPECT_TRUE(CopyFileW(path.c_str(), target.c_str(), FALSE));
        std::string expected = "format=other\n";
        for (const TextField& field : kTexts) expected += std::string(field.Name) + "=" + Utf8Of(field.Value) + "\n";
        for (const NumberField& field : kNumbers) expected += std::string(field.Name) + "=" + std::to_string(field.Value) + "\n";
        expected += "lyrics=Line one|Line two\npicture=1\n";
        HANDLE file = CreateFileW((target + L".expected").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        WriteFile(file, expected.data(), static_cast<DWORD>(expected.size()), &done, nullptr);
        CloseHandle(file);
    }

    RegisteredTypeLibrary registration;
    LoadedServer server;
    ScratchFolder folder;
    const std::wstring cover_ = folder.WriteFile(L"cover.png", BytesOf("\x89PNG\r\n\x1A\n") + Bytes(70000, 0xA5));
};

}  // namespace

TEST_F(TagFileFormatWriting, EveryPropertyOfEveryFormatReadsBackAsPutAndRemovesAsEmpty) {
    for (const FormatFile& file : kFiles) {
        SCOPED_TRACE(Utf8Of(file.Fixture));
        const Bytes original = ReadWholeFile(FormatFixturePath(file.Fixture));
        const std::wstring path = folder.WriteFile(std::wstring(L"a-") + file.Fixture, original);
        const std::wstring twin = folder.WriteFile(std::wstring(L"b-") + file.Fixture, original);
        SaveEverything(path, false);
        ExpectEverything(path, file.Format, false);
        LeaveForOtherReaders(path, std::wstring(L"saved-") + file.Fixture);
        // The same values give the same file, whatever the path to the disk.
        SaveEverything(twin, false);
        const Bytes saved = ReadWholeFile(path);
        EXPECT_EQ(saved, ReadWholeFile(twin));
        // Nothing modified writes nothing; the same values again change no byte.
        {
            InterfacePtr<ITagFile2> tag = NewTag();
            ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
            ASSERT_EQ(tag->Save(), S_OK);
            ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, kTexts[0].Value), S_OK);
            ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
        }
        EXPECT_EQ(ReadWholeFile(path), saved);
        SaveEverything(path, true);
        ExpectEverything(path, file.Format, true);
    }
}

TEST_F(TagFileFormatWriting, FlacInOggIsReadButItsSaveIsRefusedAndTheFileKept) {
    const Bytes original = ReadWholeFile(FormatFixturePath(L"stereo-44k.oga"));
    const std::wstring path = folder.WriteFile(L"a.oga", original);
    InterfacePtr<ITagFile2> tag = NewTag();
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, L"x"), S_OK);
    EXPECT_EQ(tag->Save(), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_NE(ErrorDescription().find(L"FLAC in Ogg"), std::wstring::npos) << ErrorDescription();
    EXPECT_EQ(ReadWholeFile(path), original);
}
