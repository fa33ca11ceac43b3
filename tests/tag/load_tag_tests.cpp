// LoadMP3Head against real files written through Win32: where the marker is found,
// how the read window cuts fields off, and every silent failure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_files.h"
#include "support/unique_bstr.h"
#include "support/unique_handle.h"
#include "record_fields.h"
#include "tag/tag_record.h"

namespace {

using Bytes = std::vector<unsigned char>;

HRESULT Load(TagRecord& tag, const std::wstring& path) {
    UniqueBstr name(SysAllocString(path.c_str()));
    return tag.LoadMP3Head(name.Get());
}

void ExpectCleared(const TagRecord& tag) {
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"");
    EXPECT_EQ(Field(tag, &TagRecord::GetArtist), L"");
    EXPECT_EQ(Field(tag, &TagRecord::GetAlbum), L"");
    EXPECT_EQ(Field(tag, &TagRecord::GetProYear), L"");
    EXPECT_EQ(Field(tag, &TagRecord::GetComment), L"");
    EXPECT_EQ(Genre(tag), 255);
}

Bytes Audio(size_t size, unsigned char fill) { return Bytes(size, fill); }

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kFullTag = MakeTag("Title", "Artist", "Album", "1999", "Comment", 17);

// A tag loaded into a record, so each test can show that a failed load clears it.
TagRecord LoadedRecord(const ScratchFolder& folder) {
    TagRecord tag;
    Load(tag, folder.WriteFile(L"loaded.mp3", Concat(Audio(500, 0), kFullTag)));
    EXPECT_EQ(Genre(tag), 17);
    return tag;
}

class TagLoad : public testing::Test {
protected:
    ScratchFolder folder;
};

}  // namespace

TEST_F(TagLoad, ReadsAllSixFieldsOfATagAtTheEnd) {
    TagRecord tag;
    // The byte just before the tag is part of the read window: even a 'T' there does not
    // move the marker.
    for (unsigned char before : {0x00, 0x54, 0xFF}) {
        Bytes file = Concat(Audio(1000, before), kFullTag);
        EXPECT_EQ(Load(tag, folder.WriteFile(L"song.mp3", file)), S_OK);
        EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"Title");
        EXPECT_EQ(Field(tag, &TagRecord::GetArtist), L"Artist");
        EXPECT_EQ(Field(tag, &TagRecord::GetAlbum), L"Album");
        EXPECT_EQ(Field(tag, &TagRecord::GetProYear), L"1999");
        EXPECT_EQ(Field(tag, &TagRecord::GetComment), L"Comment");
        EXPECT_EQ(Genre(tag), 17);
    }
}

TEST_F(TagLoad, ReadsAFileThatIsOnlyATag) {
    TagRecord tag;
    EXPECT_EQ(Load(tag, folder.WriteFile(L"128.mp3", kFullTag)), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"Title");
    EXPECT_EQ(Field(tag, &TagRecord::GetComment), L"Comment");
    EXPECT_EQ(Genre(tag), 17);
    // 129 bytes: one byte of audio, then the tag.
    EXPECT_EQ(Load(tag, folder.WriteFile(L"129.mp3", Concat(Audio(1, 0x54), kFullTag))), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetArtist), L"Artist");
    EXPECT_EQ(Genre(tag), 17);
}

TEST_F(TagLoad, ShortFileStartingWithTheMarkerFillsAsFarAsItGoes) {
    TagRecord tag;
    Bytes file = kFullTag;
    file.resize(40);  // marker, title, 7 artist bytes
    EXPECT_EQ(Load(tag, folder.WriteFile(L"short.mp3", file)), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"Title");
    EXPECT_EQ(Field(tag, &TagRecord::GetArtist), L"Artist");
    EXPECT_EQ(Field(tag, &TagRecord::GetAlbum), L"");
    EXPECT_EQ(Genre(tag), 255);  // the genre byte was never read
    // Three bytes: just the marker.
    file.resize(3);
    EXPECT_EQ(Load(tag, folder.WriteFile(L"3.mp3", file)), S_OK);
    ExpectCleared(tag);
    // 127 bytes: everything but the genre.  A tag found 2 bytes into a longer window
    // has its genre at the window's end, past what was read, and keeps 255 as well.
    file = kFullTag;
    file.resize(127);
    EXPECT_EQ(Load(tag, folder.WriteFile(L"127.mp3", file)), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetComment), L"Comment");
    EXPECT_EQ(Genre(tag), 255);
    file = Concat(Audio(300, 0), Concat(Bytes{'x', 'x'}, kFullTag));
    file.resize(file.size() - 1);
    EXPECT_EQ(Load(tag, folder.WriteFile(L"p2.mp3", file)), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetComment), L"Comment");
    EXPECT_EQ(Genre(tag), 255);
}

TEST_F(TagLoad, MarkerInsideTheWindowIsReadAndCutOffAtTheWindowEnd) {
    // 200 bytes whose read window (the last 129) holds "TAG" at position 40.
    Bytes window(129, 'x');
    const std::string fields = "TAG" + std::string(30, 'T') + std::string(30, 'A') + std::string(30, 'L');
    std::copy(fields.begin(), fields.begin() + (129 - 40), window.begin() + 40);
    Bytes file = Concat(Audio(71, 0), window);
    ASSERT_EQ(file.size(), 200u);
    TagRecord tag = LoadedRecord(folder);
    EXPECT_EQ(Load(tag, folder.WriteFile(L"200.mp3", file)), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), std::wstring(30, L'T'));
    EXPECT_EQ(Field(tag, &TagRecord::GetArtist), std::wstring(30, L'A'));
    // The window ends 26 album bytes after the marker's album offset.
    EXPECT_EQ(Field(tag, &TagRecord::GetAlbum), std::wstring(26, L'L'));
    EXPECT_EQ(Field(tag, &TagRecord::GetProYear), L"");
    EXPECT_EQ(Field(tag, &TagRecord::GetComment), L"");
    EXPECT_EQ(Genre(tag), 255);
}

TEST_F(TagLoad, OnlyTheFirstMarkerCounts) {
    // A "TAG" inside the title of a real tag at the end does not win over the marker.
    Bytes tagBytes = MakeTag("TAGged title", "Artist", "", "", "", 3);
    TagRecord tag;
    Load(tag, folder.WriteFile(L"first.mp3", Concat(Audio(300, 0), tagBytes)));
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"TAGged title");
    EXPECT_EQ(Genre(tag), 3);
}

TEST_F(TagLoad, EveryOrdinaryFailureIsSilentAndClearsTheRecord) {
    const std::wstring noMarker = folder.WriteFile(L"plain.mp3", Audio(4000, 0x41));
    const std::wstring empty = folder.WriteFile(L"empty.mp3", {});
    const std::wstring directory = folder.MakeFolder(L"folder.mp3");
    const std::wstring missing = folder.Path() + L"\\missing.mp3";
    for (const std::wstring& path : {noMarker, empty, directory, missing}) {
        TagRecord tag = LoadedRecord(folder);
        EXPECT_EQ(Load(tag, path), S_OK);
        ExpectCleared(tag);
    }
    TagRecord tag = LoadedRecord(folder);
    EXPECT_EQ(tag.LoadMP3Head(nullptr), S_OK);
    ExpectCleared(tag);
    tag = LoadedRecord(folder);
    UniqueBstr emptyName(SysAllocString(L""));
    EXPECT_EQ(tag.LoadMP3Head(emptyName.Get()), S_OK);
    ExpectCleared(tag);
}

TEST_F(TagLoad, FileHeldOpenForWritingCannotBeRead) {
    const std::wstring path = folder.WriteFile(L"busy.mp3", Concat(Audio(200, 0), kFullTag));
    // A writer that shares reading: our open asks to share only reading, so it fails.
    UniqueHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer.IsValid());
    TagRecord tag = LoadedRecord(folder);
    EXPECT_EQ(Load(tag, path), S_OK);
    ExpectCleared(tag);
    writer.Reset();
    // A reader that does not share reading locks the file as well.
    UniqueHandle exclusive(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(exclusive.IsValid());
    EXPECT_EQ(Load(tag, path), S_OK);
    ExpectCleared(tag);
    exclusive.Reset();
    EXPECT_EQ(Load(tag, path), S_OK);
    EXPECT_EQ(Genre(tag), 17);
}

TEST_F(TagLoad, PathEndsAtItsFirstZeroCharacter) {
    const std::wstring path = folder.WriteFile(L"a.mp3", Concat(Audio(200, 0), kFullTag));
    std::wstring withTail = path;
    withTail += L'\0';
    withTail += L"ignored";
    UniqueBstr name(SysAllocStringLen(withTail.data(), static_cast<UINT>(withTail.size())));
    TagRecord tag;
    EXPECT_EQ(tag.LoadMP3Head(name.Get()), S_OK);
    EXPECT_EQ(Genre(tag), 17);
}

TEST_F(TagLoad, ShiftJisTitleAndPathUnderCodePage932) {
    if (GetACP() != 932) GTEST_SKIP() << "runs under the Japanese locale (code page 932)";
    // タイトル in Shift-JIS, and a path with a double-byte name.
    const std::string title = "\x83\x5E\x83\x43\x83\x67\x83\x8B";
    const std::wstring path = folder.WriteFile(L"\x66F2.mp3", Concat(Audio(300, 0), MakeTag(title, "", "", "", "", 1)));
    TagRecord tag;
    EXPECT_EQ(Load(tag, path), S_OK);
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"\x30BF\x30A4\x30C8\x30EB");
    EXPECT_EQ(Genre(tag), 1);
}

TEST_F(TagLoad, HighBytesFollowTheDefaultCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "runs under the default locale (code page 1252)";
    const std::string title = "Caf\xE9 \x80";
    TagRecord tag;
    Load(tag, folder.WriteFile(L"1252.mp3", Concat(Audio(300, 0), MakeTag(title, "", "", "", "", 1))));
    EXPECT_EQ(Field(tag, &TagRecord::GetTitle), L"Caf\x00E9 \x20AC");
}

namespace {

struct PendingLoad {
    TagRecord* Tag;
    std::wstring Path;
    HRESULT Result = E_PENDING;
};

DWORD WINAPI RunLoad(void* argument) {
    auto& load = *static_cast<PendingLoad*>(argument);
    load.Result = Load(*load.Tag, load.Path);
    return 0;
}

// Loads on a thread of its own, so that a read that never returns fails the test instead
// of hanging it; unblock is then called to free the thread.
HRESULT LoadWithin(TagRecord& tag, const std::wstring& path, DWORD milliseconds, void (*unblock)(HANDLE thread)) {
    PendingLoad load{&tag, path};
    UniqueHandle thread(CreateThread(nullptr, 0, RunLoad, &load, 0, nullptr));
    if (WaitForSingleObject(thread.Get(), milliseconds) == WAIT_OBJECT_0) return load.Result;
    ADD_FAILURE() << "the load of a non-disk file did not return";
    unblock(thread.Get());
    if (WaitForSingleObject(thread.Get(), 5000) != WAIT_OBJECT_0) TerminateThread(thread.Get(), 1);
    return E_PENDING;
}

HANDLE pipeServer = nullptr;

}  // namespace

TEST_F(TagLoad, PipesAndDevicesAreFilesThatCannotBeOpened) {
    const std::wstring pipe = L"\\\\.\\pipe\\tarvik-never-writes-" + std::to_wstring(GetCurrentProcessId());
    // A server that accepts the connection and never writes a byte.
    UniqueHandle server(CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                         4096, 0, nullptr));
    ASSERT_TRUE(server.IsValid());
    pipeServer = server.Get();
    const auto breakPipe = [](HANDLE thread) {
        CancelSynchronousIo(thread);
        DisconnectNamedPipe(pipeServer);
    };
    for (const std::wstring& path : {pipe, std::wstring(L"NUL"), std::wstring(L"COM1"), std::wstring(L"\\\\.\\NUL")}) {
        TagRecord tag = LoadedRecord(folder);
        EXPECT_EQ(LoadWithin(tag, path, 10000, breakPipe), S_OK) << path.c_str();
        ExpectCleared(tag);
    }
}

// Each file is opened by the caller's name as it is, also where the code page lacks a
// character: a best-fit ANSI form would open the look-alike beside it (a fullwidth reverse
// solidus becomes a folder separator, a fullwidth y a plain one) or a name of '?'.
TEST_F(TagLoad, ReadsTheFileTheWideNameNamesAndNoLookAlike) {
    folder.MakeFolder(L"x");
    folder.MakeFolder(L"inner");
    const std::vector<std::pair<std::wstring, std::string>> decoys = {{L"x\\y.mp3", "decoy folder"},
                                                                      {L"y.mp3", "decoy plain"}};
    const std::vector<std::pair<std::wstring, std::string>> files = {
        {L"x\uFF3Cy.mp3", "fullwidth solidus"}, {L"\uFF59.mp3", "fullwidth y"},
        {L"\u65E5\u672C\u8A9E.mp3", "japanese"}, {L"\u0391\u03C9.mp3", "greek"}};
    for (const auto& file : decoys) folder.WriteFile(file.first, MakeTag(file.second, "", "", "", "", 1));
    for (const auto& file : files) folder.WriteFile(file.first, MakeTag(file.second, "", "", "", "", 2));
    TagRecord tag;
    for (const auto& file : files) {
        EXPECT_EQ(Load(tag, folder.Path() + L"\\" + file.first), S_OK);
        EXPECT_EQ(Field(tag, &TagRecord::GetTitle), std::wstring(file.second.begin(), file.second.end()));
        EXPECT_EQ(Genre(tag), 2);
    }
    // A name that climbs out of a folder only through a look-alike separator names nothing.
    Load(tag, folder.Path() + L"\\inner\\..\uFF3Cx\\y.mp3");
    ExpectCleared(tag);
}
