// Writing through ITagFile2 as a client sees it: edits shown at once and kept until Save,
// what a save writes (in place, or a whole new file) read back through the object, the
// audio and every frame the class does not touch kept byte for byte, and each refusal
// leaving the file as it was.  Files that other readers check are left in the folder that
// CTest names in TARVIK_WRITTEN_TAGS (check-written-tags.py reads them with mutagen).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/format_fixtures.h"
#include "common/failing_calls.h"
#include "common/import_hook.h"
#include "common/media_bytes.h"
#include "common/temp_files.h"
#include "tag_file_client.h"

namespace {

using Texts = std::vector<std::pair<HRESULT (STDMETHODCALLTYPE ITagFile2::*)(BSTR), std::wstring>>;

// The bytes between the leading ID3v2 tag and the ID3v1 tag: the audio a save never changes.
Bytes AudioOf(const Bytes& file) {
    size_t begin = 0, end = file.size();
    if (file.size() >= 10 && std::memcmp(file.data(), "ID3", 3) == 0) {
        begin = 10 + ((file[6] << 21) | (file[7] << 14) | (file[8] << 7) | file[9]);
    }
    if (end >= begin + 128 && std::memcmp(file.data() + end - 128, "TAG", 3) == 0) end -= 128;
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(begin), file.begin() + static_cast<std::ptrdiff_t>(end));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The names of a folder's files.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

FILETIME LastWriteOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class TagFileWriting : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tag); }
    void TearDown() override {
        tag.Reset();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }

    std::wstring CopyFixture(const wchar_t* fixture, const wchar_t* name) {
        return folder.WriteFile(name, ReadWholeFile(FormatFixturePath(fixture)));
    }

    void SetAll(const Texts& texts) {
        for (const auto& text : texts) ASSERT_EQ(Put(tag.Get(), text.first, text.second), S_OK);
    }

    void ExpectTexts(const Texts& texts) {
        using Getter = HRESULT (STDMETHODCALLTYPE ITagFile2::*)(BSTR*);
        static const std::pair<HRESULT (STDMETHODCALLTYPE ITagFile2::*)(BSTR), Getter> kGetters[] = {
            {&ITagFile2::put_Title, &ITagFile::get_Title},     {&ITagFile2::put_Artist, &ITagFile::get_Artist},
            {&ITagFile2::put_Album, &ITagFile::get_Album},     {&ITagFile2::put_AlbumArtist, &ITagFile::get_AlbumArtist},
            {&ITagFile2::put_Composer, &ITagFile::get_Composer}, {&ITagFile2::put_Comment, &ITagFile::get_Comment},
            {&ITagFile2::put_Genre, &ITagFile::get_Genre},     {&ITagFile2::put_Lyrics, &ITagFile2::get_Lyrics}};
        for (const auto& text : texts) {
            for (const auto& getter : kGetters) {
                if (getter.first != text.first) continue;
                UniqueBstr value;
                ASSERT_EQ((tag.Get()->*getter.second)(value.Receive()), S_OK);
                EXPECT_EQ(std::wstring(value.Get(), value.Length()), text.second);
            }
        }
    }

    // A saved file for check-written-tags.py, with what it must read there ("key=value" lines).
    static void LeaveForOtherReaders(const std::wstring& path, const std::string& name, const std::string& expected) {
        const char* folder = std::getenv("TARVIK_WRITTEN_TAGS");
        if (folder == nullptr) return;
        const std::string base = std::string(folder) + "/" + name;
        const std::wstring target = WindowsPathOfUnixPath(std::wstring(base.begin(), base.end()));
        EXPECT_TRUE(CopyFileW(path.c_str(), target.c_str(), FALSE));
        HANDLE file = CreateFileW((target + L".expected").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, expected.data(), static_cast<DWORD>(expected.size()), &written, nullptr);
        CloseHandle(file);
    }

    bool Modified() {
        VARIANT_BOOL modified = VARIANT_FALSE;
        EXPECT_EQ(tag->get_Modified(&modified), S_OK);
        return modified != VARIANT_FALSE;
    }

    RegisteredTypeLibrary registration;
    LoadedServer server;
    ScratchFolder folder;
    InterfacePtr<ITagFile2> tag = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
};

}  // namespace

TEST_F(TagFileWriting, EditsAreShownAtOnceKeptUntilSaveAndDiscardedByOpen) {
    const std::wstring path = CopyFixture(L"cbr-stereo-44k.mp3", L"a.mp3");
    const Bytes before = ReadWholeFile(path);
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    EXPECT_FALSE(Modified());
    UniqueBstr format;
    ASSERT_EQ(tag->get_Format(format.Receive()), S_OK);
    EXPECT_STREQ(format.Get(), L"MP3");
    SetAll({{&ITagFile2::put_Title, L"New title"}, {&ITagFile2::put_Genre, L"(8)"}});
    ASSERT_EQ(tag->put_Year(1999), S_OK);
    ASSERT_EQ(tag->put_TrackCount(20), S_OK);
    ASSERT_EQ(SetFrameText(tag.Get(), L"txxx:Mood", L""), S_OK);
    EXPECT_TRUE(Modified());
    ExpectTexts({{&ITagFile2::put_Title, L"New title"}, {&ITagFile2::put_Genre, L"Jazz"}});
    EXPECT_EQ(NumberOf(tag.Get(), &ITagFile::get_Year), 1999);
    EXPECT_EQ(NumberOf(tag.Get(), &ITagFile::get_Track), 3);
    EXPECT_EQ(NumberOf(tag.Get(), &ITagFile::get_TrackCount), 20);
    EXPECT_EQ(FrameText(tag.Get(), L"TRCK"), L"3/20");
    EXPECT_EQ(FrameText(tag.Get(), L"TXXX:Mood"), L"");
    // Out of range, or no text frame: refused, nothing kept.
    EXPECT_EQ(tag->put_Year(10000), E_INVALIDARG);
    EXPECT_EQ(tag->put_Track(-1), E_INVALIDARG);
    EXPECT_EQ(SetFrameText(tag.Get(), L"APIC", L"x"), E_INVALIDARG);
    EXPECT_EQ(ErrorDescription().rfind(L"Cannot set \"APIC\": ", 0), 0u);
    EXPECT_EQ(SetFrameText(tag.Get(), L"TXXX", L"x"), E_INVALIDARG);
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    EXPECT_FALSE(Modified());
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Title), L"Grüße, ☃");
    EXPECT_EQ(ReadWholeFile(path), before);
}

TEST_F(TagFileWriting, SaveInPlaceChangesOnlyTheTagAndIsTheSameEveryTime) {
    const std::wstring path = CopyFixture(L"cbr-stereo-44k.mp3", L"a.mp3");
    const std::wstring twin = CopyFixture(L"cbr-stereo-44k.mp3", L"b.mp3");
    const Bytes before = ReadWholeFile(path);
    for (const std::wstring& file : {path, twin}) {
        ASSERT_EQ(OpenFile(tag.Get(), file), S_OK);
        SetAll({{&ITagFile2::put_Title, L"Short"}, {&ITagFile2::put_Comment, L"Neu"}});
        ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
        EXPECT_FALSE(Modified());
    }
    const Bytes after = ReadWholeFile(path);
    EXPECT_EQ(after, ReadWholeFile(twin));
    EXPECT_EQ(after.size(), before.size());  // in place
    EXPECT_EQ(AudioOf(after), AudioOf(before));
    // What the object holds is what the file holds; the frames it was not asked about stay.
    ExpectTexts({{&ITagFile2::put_Title, L"Short"}, {&ITagFile2::put_Comment, L"Neu"},
                 {&ITagFile2::put_Artist, L"Artist One/Artist Two"}});
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_TagTypes), L"ID3v2.3");
    EXPECT_EQ(FrameText(tag.Get(), L"TXXX:Mood"), L"calm");
    EXPECT_EQ(FrameText(tag.Get(), L"TBPM"), L"120");
    const std::wstring cover = folder.Path() + L"\\cover.bin";
    UniqueBstr coverName(SysAllocString(cover.c_str()));
    VARIANT_BOOL saved = VARIANT_FALSE;
    ASSERT_EQ(tag->SavePicture(coverName.Get(), &saved), S_OK);
    EXPECT_EQ(ReadWholeFile(cover), ReadWholeFile(FormatFixturePath(L"cbr-stereo-44k.mp3.cover")));
    // Nothing modified: nothing written, not even the time (of the twin, which the object
    // opened last).
    FILETIME written{}, again{};
    HANDLE file = CreateFileW(twin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    Sleep(20);
    ASSERT_EQ(tag->Save(), S_OK);
    file = CreateFileW(twin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &again);
    CloseHandle(file);
    EXPECT_EQ(CompareFileTime(&written, &again), 0);
    LeaveForOtherReaders(path, "in-place-23.mp3",
                         "version=3\nTIT2=Short\nCOMM=Neu\nTXXX:Mood=calm\nTBPM=120\nAPIC=2\n");
}

TEST_F(TagFileWriting, AFileWithoutATagGetsVersion23WithEveryKindOfText) {
    const std::wstring path = CopyFixture(L"cbr-mono-22k.mp3", L"plain.mp3");
    const std::wstring png = folder.WriteFile(L"cover.png", BytesOf("\x89PNG\r\n\x1A\n") + Bytes(300000, 0xFF));
    const Bytes before = ReadWholeFile(path);
    // The new file takes over the original's attributes and creation time.
    const FILETIME created = {0x12345678, 0x01C00000};
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(SetFileTime(file, &created, nullptr, nullptr));
    CloseHandle(file);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    WIN32_FILE_ATTRIBUTE_DATA original{};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &original));
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    const Texts texts = {{&ITagFile2::put_Title, L"Grüße"},
                         {&ITagFile2::put_Artist, L"日本語のアーティスト"},
                         {&ITagFile2::put_Album, L"\U0001D11E clef"},
                         {&ITagFile2::put_AlbumArtist, L"One; Two"},
                         {&ITagFile2::put_Composer, std::wstring(3000, L'c')},
                         {&ITagFile2::put_Comment, L"Kommentar"},
                         {&ITagFile2::put_Genre, L"Jazz"},
                         {&ITagFile2::put_Lyrics, L"Line one\nLine two"}};
    SetAll(texts);
    ASSERT_EQ(tag->put_Year(2024), S_OK);
    ASSERT_EQ(tag->put_Track(3), S_OK);
    ASSERT_EQ(tag->put_Disc(1), S_OK);
    ASSERT_EQ(tag->put_DiscCount(2), S_OK);
    ASSERT_EQ(SetFrameText(tag.Get(), L"TXXX:Mood", L"wach"), S_OK);
    UniqueBstr image(SysAllocString(png.c_str()));
    ASSERT_EQ(tag->SetPicture(image.Get()), S_OK);
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    EXPECT_FALSE(Exists(path + L".tarvik-new"));
    WIN32_FILE_ATTRIBUTE_DATA written{};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &written));
    EXPECT_EQ(written.dwFileAttributes, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
    // Wine on Linux keeps no creation time that can be set: there the check has nothing to compare.
    if (CompareFileTime(&original.ftCreationTime, &created) == 0) {
        EXPECT_EQ(CompareFileTime(&written.ftCreationTime, &created), 0);
    }
    const Bytes after = ReadWholeFile(path);
    EXPECT_EQ(AudioOf(after), before);
    ExpectTexts(texts);
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_TagTypes), L"ID3v2.3");
    EXPECT_EQ(NumberOf(tag.Get(), &ITagFile::get_Year), 2024);
    EXPECT_EQ(FrameText(tag.Get(), L"TRCK"), L"3");
    EXPECT_EQ(FrameText(tag.Get(), L"TPOS"), L"1/2");
    EXPECT_EQ(FrameText(tag.Get(), L"TXXX:Mood"), L"wach");
    LeaveForOtherReaders(path, "new-23.mp3",
                         "version=3\nTIT2=Grüße\nTPE1=日本語のアーティスト\nTALB=\U0001D11E clef\nTPE2=One; Two\n"
                         "TCON=Jazz\nCOMM=Kommentar\nUSLT=Line one|Line two\nTYER=2024\nTRCK=3\nTPOS=1/2\n"
                         "TXXX:Mood=wach\nAPIC=1\nTCOM=" + std::string(3000, 'c') + "\n");
    // A title of the same length changes one page and goes in place; a longer one moves the
    // frames after it, the 300 KB picture among them, so the file is written anew with the
    // padding the audio gives, 14 bytes longer.
    ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, L"Grüßt"), S_OK);
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    EXPECT_EQ(ReadWholeFile(path).size(), after.size());
    ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, L"Grüße aus der Ferne"), S_OK);
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    EXPECT_EQ(ReadWholeFile(path).size(), after.size() + 14);
    // Removing everything again leaves a tag with nothing in it, and the same audio; the
    // picture's 300 KB are not kept as padding.
    for (const auto& text : texts) ASSERT_EQ(Put(tag.Get(), text.first, L""), S_OK);
    ASSERT_EQ(tag->put_Year(0), S_OK);
    ASSERT_EQ(tag->put_Track(0), S_OK);
    ASSERT_EQ(tag->put_Disc(0), S_OK);
    ASSERT_EQ(tag->put_DiscCount(0), S_OK);
    ASSERT_EQ(SetFrameText(tag.Get(), L"TXXX:Mood", L""), S_OK);
    ASSERT_EQ(tag->RemovePictures(), S_OK);
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    EXPECT_EQ(AudioOf(ReadWholeFile(path)), before);
    EXPECT_LT(ReadWholeFile(path).size(), before.size() + 70 * 1024);
    ExpectTexts({{&ITagFile2::put_Title, L""}, {&ITagFile2::put_Lyrics, L""}, {&ITagFile2::put_Genre, L""}});
    EXPECT_EQ(NumberOf(tag.Get(), &ITagFile::get_Year), 0);
    UniqueBstr none(SysAllocString((folder.Path() + L"\\none.bin").c_str()));
    VARIANT_BOOL saved = VARIANT_TRUE;
    ASSERT_EQ(tag->SavePicture(none.Get(), &saved), S_OK);
    EXPECT_EQ(saved, VARIANT_FALSE);
}

TEST_F(TagFileWriting, A24TagStays24WithSeveralValuesAndItsId3v1TagFollows) {
    const std::wstring path = CopyFixture(L"vbr-mono-22k.mp3", L"v24.mp3");
    const Bytes before = ReadWholeFile(path);
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    SetAll({{&ITagFile2::put_Artist, L"Ärger; 日本"}, {&ITagFile2::put_Title, L"A title longer than thirty bytes"},
            {&ITagFile2::put_Genre, L"(8)"}});
    ASSERT_EQ(tag->put_Year(2012), S_OK);
    ASSERT_EQ(tag->put_Track(9), S_OK);
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    const Bytes after = ReadWholeFile(path);
    EXPECT_EQ(AudioOf(after), AudioOf(before));
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_TagTypes), L"ID3v2.4 ID3v1.1");
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Artist), L"Ärger; 日本");
    EXPECT_EQ(FrameText(tag.Get(), L"TDRC"), L"2012");
    // The ID3v1 tag as far as it holds them: the title cut to 30 bytes, the year, track 9.
    const unsigned char* v1 = after.data() + after.size() - 128;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(v1 + 3), 30), "A title longer than thirty byt");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(v1 + 93), 4), "2012");
    EXPECT_EQ(v1[125], 0);
    EXPECT_EQ(v1[126], 9);
    EXPECT_EQ(v1[127], 8);  // Jazz, by its reference
    // The album nobody changed keeps its bytes.
    EXPECT_TRUE(std::equal(v1 + 63, v1 + 93, before.end() - 128 + 63));
    LeaveForOtherReaders(path, "kept-24.mp3", "version=4\nTPE1=Ärger|日本\nTDRC=2012\nTRCK=9\nTCON=(8)\n");
}

TEST_F(TagFileWriting, FramesTheClassDoesNotKnowSurviveAndOldFormsAreWrittenPlain) {
    const Bytes audio = MpegFrames(6);
    const Bytes priv = Frame(3, "PRIV", BytesOf("owner") + Bytes{0, 0xFF, 0xE0, 1, 2});
    // 2.3, unsynchronised as a whole, with a frame that asks to go when the tag changes.
    const Bytes v23 = Tag(3, Unsynchronise(TextFrame(3, "TIT2", "Old") + priv + Frame(3, "TSIZ", Bytes{0, '1'}) +
                                           Bytes(4, 0)), 0x80);
    // The status byte of TSIZ (tag alter preservation) is set after the fact.
    Bytes v23File = v23 + audio;
    for (size_t i = 10; i + 4 < v23File.size(); ++i) {
        if (std::memcmp(v23File.data() + i, "TSIZ", 4) == 0) v23File[i + 8] = 0x80;
    }
    // 2.2 with a picture and a frame that 2.3 does not have; and a 2.4 tag appended at the end.
    const Bytes v22 = Tag(2, TextFrame(2, "TT2", "Twenty-two") +
                                 Frame(2, "PIC", PictureBody(2, 3, "", BytesOf("pngbytes"))) + Frame(2, "CRM", BytesOf("x")));
    const Bytes appended = Tag(4, TextFrame(4, "TIT2", "Appended") + TextFrame(4, "TPE1", "From the end"), 0x10);
    // 2.4 with a frame unsynchronised on its own, with a data length indicator.
    const Bytes data = BytesOf("owner") + Bytes{0, 0xFF, 0xE0, 1};
    const Bytes v24 = Tag(4, TextFrame(4, "TIT2", "Old") + Frame(4, "PRIV", Syncsafe(9) + Unsynchronise(data), 0x03));
    const struct {
        const wchar_t* Name;
        Bytes File;
        const wchar_t* TagTypes;
    } cases[] = {{L"v23.mp3", v23File, L"ID3v2.3"}, {L"v22.mp3", v22 + audio, L"ID3v2.3"},
                 {L"appended.mp3", audio + appended, L"ID3v2.4"}, {L"v24.mp3", v24 + audio, L"ID3v2.4"}};
    for (const auto& test : cases) {
        const std::wstring path = folder.WriteFile(test.Name, test.File);
        ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
        ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Album, L"Edited"), S_OK);
        ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
        const Bytes after = ReadWholeFile(path);
        EXPECT_EQ(AudioOf(after), audio) << test.Name;
        EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_TagTypes), test.TagTypes) << test.Name;
        EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Album), L"Edited");
        LeaveForOtherReaders(path, std::string(test.Name, test.Name + wcslen(test.Name)), "TALB=Edited\n");
    }
    // The unknown frame plain and whole, the dropped one gone, no unsynchronisation flag.
    const Bytes v23After = ReadWholeFile(folder.Path() + L"\\v23.mp3");
    EXPECT_EQ(v23After[5], 0);
    EXPECT_NE(std::search(v23After.begin(), v23After.end(), priv.begin(), priv.end()), v23After.end());
    ASSERT_EQ(OpenFile(tag.Get(), folder.Path() + L"\\v23.mp3"), S_OK);
    EXPECT_EQ(FrameText(tag.Get(), L"TIT2"), L"Old");
    EXPECT_EQ(FrameText(tag.Get(), L"TSIZ"), L"");
    const Bytes plainFrame = BytesOf("PRIV") + Syncsafe(13) + Bytes{0, 0x01} + Syncsafe(9) + data;
    const Bytes v24After = ReadWholeFile(folder.Path() + L"\\v24.mp3");
    EXPECT_NE(std::search(v24After.begin(), v24After.end(), plainFrame.begin(), plainFrame.end()), v24After.end());
    ASSERT_EQ(OpenFile(tag.Get(), folder.Path() + L"\\v22.mp3"), S_OK);
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Title), L"Twenty-two");
    const std::wstring cover = folder.Path() + L"\\pic.bin";
    UniqueBstr coverName(SysAllocString(cover.c_str()));
    VARIANT_BOOL saved = VARIANT_FALSE;
    ASSERT_EQ(tag->SavePicture(coverName.Get(), &saved), S_OK);
    EXPECT_EQ(ReadWholeFile(cover), BytesOf("pngbytes"));
    const Bytes v22After = ReadWholeFile(folder.Path() + L"\\v22.mp3");
    const Bytes mime = BytesOf("image/png");
    EXPECT_NE(std::search(v22After.begin(), v22After.end(), mime.begin(), mime.end()), v22After.end());
    // The appended tag is gone; what it held now stands at the front.
    ASSERT_EQ(OpenFile(tag.Get(), folder.Path() + L"\\appended.mp3"), S_OK);
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Artist), L"From the end");
    const Bytes appendedAfter = ReadWholeFile(folder.Path() + L"\\appended.mp3");
    EXPECT_TRUE(std::equal(audio.rbegin(), audio.rend(), appendedAfter.rbegin()));
}

TEST_F(TagFileWriting, EveryRefusalNamesItsReasonAndLeavesTheFileAndTheChanges) {
    const std::wstring path = CopyFixture(L"cbr-stereo-44k.mp3", L"a.mp3");
    const Bytes before = ReadWholeFile(path);
    // The holder of a file opened without sharing is let go before the bytes are compared.
    auto expectRefused = [&](HRESULT code, const std::wstring& reason, HANDLE holder = nullptr) {
        EXPECT_EQ(tag->Save(), code) << reason.c_str();
        EXPECT_EQ(ErrorDescription(), L"Cannot save \"" + path + L"\": " + reason);
        if (holder != nullptr) CloseHandle(holder);
        EXPECT_EQ(ReadWholeFile(path), before);
        EXPECT_TRUE(Modified());
    };
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, std::wstring(5000, L'x')), S_OK);  // more than the padding
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    expectRefused(HRESULT_FROM_WIN32(ERROR_FILE_READ_ONLY), L"the file is read-only");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    expectRefused(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), L"another program has the file open",
                  CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    // Another program writes the file after Open: saving would throw its change away.
    const std::wstring other = CopyFixture(L"cbr-stereo-44k.mp3", L"b.mp3");
    ASSERT_EQ(OpenFile(tag.Get(), other), S_OK);
    ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, L"Mine"), S_OK);
    Bytes changed = ReadWholeFile(other);
    changed.back() ^= 1;
    folder.WriteFile(L"b.mp3", changed);
    EXPECT_EQ(tag->Save(), HRESULT_FROM_WIN32(ERROR_FILE_INVALID));
    EXPECT_EQ(ReadWholeFile(other), changed);
    // A file of no format this class writes.
    const std::wstring text = folder.WriteFile(L"notes.txt", BytesOf("just some text, no tag and no audio"));
    ASSERT_EQ(OpenFile(tag.Get(), text), S_OK);
    ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, L"x"), S_OK);
    EXPECT_EQ(tag->Save(), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(ErrorDescription(), L"Cannot save \"" + text + L"\": it holds neither a tag nor MPEG audio");
    // Pictures: neither JPEG nor PNG, or over 16 MB, are refused when set.
    const std::wstring gif = folder.WriteFile(L"a.gif", BytesOf("GIF89a......"));
    const std::wstring large = folder.WriteFile(L"large.jpg", BytesOf("\xFF\xD8\xFF") + Bytes(16 * 1024 * 1024, 0));
    for (const std::wstring& picture : {gif, large}) {
        UniqueBstr name(SysAllocString(picture.c_str()));
        EXPECT_TRUE(FAILED(tag->SetPicture(name.Get())));
        EXPECT_EQ(ErrorDescription().rfind(L"Cannot use the picture \"" + picture + L"\": ", 0), 0u);
    }
    // Nothing opened at all.
    InterfacePtr<ITagFile2> fresh = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
    EXPECT_EQ(fresh->Save(), E_UNEXPECTED);
}

// A full disk (every write of the library fails so) leaves the original whole and no new
// file beside it; the same save succeeds once there is room.
TEST_F(TagFileWriting, AFullDiskLeavesTheOriginalAndNoNewFile) {
    const std::wstring path = CopyFixture(L"cbr-mono-22k.mp3", L"plain.mp3");
    const Bytes before = ReadWholeFile(path);
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, L"Full"), S_OK);
    {
        ImportHook hook(server.Module(), "kernel32.dll", "WriteFile", reinterpret_cast<void*>(FailWrite));
        ASSERT_TRUE(hook.Installed());
        EXPECT_EQ(tag->Save(), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
    }
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_FALSE(Exists(path + L".tarvik-new"));
    EXPECT_TRUE(Modified());
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Title), L"Full");
}

TEST_F(TagFileWriting, FramesInTheLayoutsOfOldWritersSurviveASave) {
    // Laid out as real tools left them, and read by the same rules when the tag is written
    // again: an extended-header flag without one, 2.2 identifiers padded into a 2.3 tag, and a
    // plain 2.4 size whose syncsafe reading lands on a value separator.
    const Bytes values = Bytes{0} + BytesOf(std::string(127, 'a')) + Bytes{0} + BytesOf(std::string(127, 'b'));
    const struct {
        const wchar_t* Name;
        Bytes Tag;
        const wchar_t* Artist;
    } cases[] = {{L"flagged.mp3", Tag(3, TextFrame(3, "TPE1", "Flagged"), 0x40), L"Flagged"},
                 {L"padded.mp3", Tag(3, TextFrame(3, std::string("TP1\0", 4), "Store")), L"Store"},
                 {L"plain.mp3", Tag(4, Frame(4, "TIT2", values, 0, true) + TextFrame(4, "TPE1", "Next")), L"Next"}};
    for (const auto& test : cases) {
        const std::wstring path = folder.WriteFile(test.Name, test.Tag + MpegFrames(6));
        ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
        ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Album, L"Edited"), S_OK);
        ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
        ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
        EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Artist), test.Artist) << test.Name;
        EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Album), L"Edited") << test.Name;
    }
}

// Every way a save can fail after it has begun to write leaves the file byte for byte and
// nothing beside it in the folder, whichever path (in place, or a new file and a rename)
// the save takes; the same save then succeeds.
TEST_F(TagFileWriting, EveryFailedWriteLeavesTheFileAndNothingBesideIt) {
    const struct {
        const char* Function;
        void* Replacement;
        DWORD Error;
    } failures[] = {{"WriteFile", reinterpret_cast<void*>(&FailWrite), ERROR_DISK_FULL},
                    {"FlushFileBuffers", reinterpret_cast<void*>(&FailFlush), ERROR_WRITE_FAULT},
                    {"MoveFileExW", reinterpret_cast<void*>(&FailMove), ERROR_ACCESS_DENIED}};
    // A short title fits the padding (in place); a long one does not (a new file).
    for (const std::wstring& title : {std::wstring(L"Short"), std::wstring(6000, L'l')}) {
        for (const auto& failure : failures) {
            const bool inPlace = title.size() < 100;
            if (inPlace && std::strcmp(failure.Function, "MoveFileExW") == 0) continue;
            SCOPED_TRACE(std::string(failure.Function) + (inPlace ? " in place" : " new file"));
            const std::wstring path = CopyFixture(L"cbr-stereo-44k.mp3", L"a.mp3");
            const Bytes before = ReadWholeFile(path);
            ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
            ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, title), S_OK);
            {
                ImportHook hook(server.Module(), "kernel32.dll", failure.Function, failure.Replacement);
                ASSERT_TRUE(hook.Installed());
                EXPECT_EQ(tag->Save(), HRESULT_FROM_WIN32(failure.Error));
            }
            EXPECT_EQ(ReadWholeFile(path), before);
            EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::wstring>{L"a.mp3"});
            EXPECT_TRUE(Modified());
            // The old bytes written back after a failed write in place give the file a new
            // time: the object then sees a file changed since it opened it.
            ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
            ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, title), S_OK);
            ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription().c_str();
            EXPECT_EQ(ReadWholeFile(path).size() == before.size(), inPlace);
            EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Title), title);
        }
    }
}

// A save with nothing modified writes nothing, not even a tag that any edit would have
// written anew (an unsynchronised one, which the writer writes plain).
TEST_F(TagFileWriting, ASaveWithNothingModifiedWritesNothing) {
    const Bytes file = Tag(3, Unsynchronise(TextFrame(3, "TIT2", "\xFF\xE0 old") + Bytes(100, 0)), 0x80) + MpegFrames(6);
    const std::wstring path = folder.WriteFile(L"untouched.mp3", file);
    ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
    const FILETIME written = LastWriteOf(path);
    Sleep(20);
    ASSERT_EQ(tag->Save(), S_OK);
    const FILETIME again = LastWriteOf(path);
    EXPECT_EQ(CompareFileTime(&written, &again), 0);
    EXPECT_EQ(ReadWholeFile(path), file);
}
