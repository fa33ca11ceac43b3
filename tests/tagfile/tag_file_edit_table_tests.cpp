// Every edit takes: for every property and every MP3 layout the tests know (no tag, ID3v1
// alone, 2.2, 2.3 unsynchronised, 2.4 with several comments and lyrics, a tag appended at
// the end, tags back to back, an old writer's flag, the tools' fixtures), a put, Save and a
// fresh Open read back what was put, and "" (or 0) reads back "" (or 0), while every other
// property shows what it showed before.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "common/format_fixtures.h"
#include "common/media_bytes.h"
#include "common/temp_files.h"
#include "tag_file_client.h"

namespace {

using TextPut = HRESULT (STDMETHODCALLTYPE ITagFile2::*)(BSTR);
using TextGet = HRESULT (STDMETHODCALLTYPE ITagFile2::*)(BSTR*);
using NumberPut = HRESULT (STDMETHODCALLTYPE ITagFile2::*)(long);
using NumberGet = HRESULT (STDMETHODCALLTYPE ITagFile2::*)(long*);

const struct {
    const char* Name;
    TextPut Put;
    TextGet Get;
} kTexts[] = {{"Title", &ITagFile2::put_Title, &ITagFile::get_Title},
              {"Artist", &ITagFile2::put_Artist, &ITagFile::get_Artist},
              {"Album", &ITagFile2::put_Album, &ITagFile::get_Album},
              {"AlbumArtist", &ITagFile2::put_AlbumArtist, &ITagFile::get_AlbumArtist},
              {"Composer", &ITagFile2::put_Composer, &ITagFile::get_Composer},
              {"Comment", &ITagFile2::put_Comment, &ITagFile::get_Comment},
              {"Genre", &ITagFile2::put_Genre, &ITagFile::get_Genre},
              {"Lyrics", &ITagFile2::put_Lyrics, &ITagFile2::get_Lyrics}};

const struct {
    const char* Name;
    NumberPut Put;
    NumberGet Get;
    long Value;
} kNumbers[] = {{"Year", &ITagFile2::put_Year, &ITagFile::get_Year, 1987},
                {"Track", &ITagFile2::put_Track, &ITagFile::get_Track, 7},
                {"TrackCount", &ITagFile2::put_TrackCount, &ITagFile::get_TrackCount, 12},
                {"Disc", &ITagFile2::put_Disc, &ITagFile::get_Disc, 2},
                {"DiscCount", &ITagFile2::put_DiscCount, &ITagFile::get_DiscCount, 3}};

// Every kind of frame a property reads, in a tag of the version (2, 3 or 4).
Bytes EveryFrame(int version) {
    const bool old = version == 2;
    auto id = [&](const char* three, const char* four) { return std::string(old ? three : four); };
    const Bytes comment = Bytes{0} + BytesOf("eng") + Bytes{0} + BytesOf("plain");
    return TextFrame(version, id("TT2", "TIT2"), "Old title") + TextFrame(version, id("TP1", "TPE1"), "Old artist") +
           TextFrame(version, id("TAL", "TALB"), "Old album") + TextFrame(version, id("TP2", "TPE2"), "Old band") +
           TextFrame(version, id("TCM", "TCOM"), "Old composer") + TextFrame(version, id("TCO", "TCON"), "(17)") +
           TextFrame(version, id("TYE", version == 4 ? "TDRC" : "TYER"), "1999") +
           TextFrame(version, id("TRK", "TRCK"), "3/9") + TextFrame(version, id("TPA", "TPOS"), "1/2") +
           Frame(version, id("COM", "COMM"), comment) +
           Frame(version, id("ULT", "USLT"), Bytes{0} + BytesOf("eng") + Bytes{0} + BytesOf("Old lyrics"));
}

// Comments and lyrics of other descriptions and languages beside the plain ones.
Bytes OtherComments(int version) {
    return Frame(version, "COMM", Bytes{0} + BytesOf("eng") + BytesOf("iTunNORM") + Bytes{0} + BytesOf(" 0000")) +
           Frame(version, "COMM", Bytes{0} + BytesOf("deu") + BytesOf("described") + Bytes{0} + BytesOf("other")) +
           Frame(version, "USLT", Bytes{0} + BytesOf("deu") + BytesOf("d") + Bytes{0} + BytesOf("Andere"));
}

struct Layout {
    const wchar_t* Name;
    Bytes File;
};

std::vector<Layout> Layouts() {
    const Bytes audio = MpegFrames(8);
    const Bytes v1 = Id3v1Tag("v1 title", "v1 artist", 4, 17);
    std::vector<Layout> layouts = {
        {L"none.mp3", audio},
        {L"id3v1.mp3", audio + v1},
        {L"v22.mp3", Tag(2, EveryFrame(2)) + audio},
        {L"v23-unsynchronised.mp3", Tag(3, Unsynchronise(EveryFrame(3) + Bytes(200, 0)), 0x80) + audio + v1},
        {L"v24-comments.mp3", Tag(4, OtherComments(4) + EveryFrame(4) + Bytes(500, 0)) + audio + v1},
        {L"appended.mp3", Tag(3, TextFrame(3, "TIT2", "Front")) + audio + Tag(4, EveryFrame(4) + OtherComments(4), 0x10)},
        {L"appended-alone.mp3", audio + Tag(4, EveryFrame(4), 0x10) + v1},
        {L"back-to-back.mp3", Tag(3, TextFrame(3, "TIT2", "First")) + Tag(4, EveryFrame(4)) + Tag(3, OtherComments(3)) + audio},
        {L"flagged.mp3", Tag(3, EveryFrame(3), 0x40) + audio},
    };
    for (const wchar_t* fixture : {L"cbr-stereo-44k.mp3", L"vbr-mono-22k.mp3", L"cbr-mono-22k.mp3"}) {
        layouts.push_back({fixture, ReadWholeFile(FormatFixturePath(fixture))});
    }
    return layouts;
}

// Every property of an object, texts and numbers, as text.
std::vector<std::wstring> Properties(ITagFile2* tag) {
    std::vector<std::wstring> values;
    for (const auto& text : kTexts) {
        UniqueBstr value;
        (tag->*text.Get)(value.Receive());
        values.emplace_back(value.Get(), value.Length());
    }
    for (const auto& number : kNumbers) {
        long value = -1;
        (tag->*number.Get)(&value);
        values.push_back(std::to_wstring(value));
    }
    return values;
}

class TagFileEdits : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tag); }
    void TearDown() override {
        tag.Reset();
        reopened.Reset();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }

    // Save, then a fresh object opens the file.
    void SaveAndReopen(const std::wstring& path, const std::string& what) {
        const HRESULT saved = tag->Save();
        const std::wstring reason = saved == S_OK ? std::wstring() : ErrorDescription();
        ASSERT_EQ(saved, S_OK) << what << ": " << std::string(reason.begin(), reason.end());
        reopened = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
        ASSERT_EQ(OpenFile(reopened.Get(), path), S_OK) << what;
    }

    RegisteredTypeLibrary registration;
    LoadedServer server;
    ScratchFolder folder;
    InterfacePtr<ITagFile2> tag = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
    InterfacePtr<ITagFile2> reopened;
};

}  // namespace

TEST_F(TagFileEdits, EveryPropertyReadsBackWhatWasPutInEveryLayout) {
    const std::wstring value = L"Wert \u2603 \u00FC";
    for (const Layout& layout : Layouts()) {
        const std::string name(layout.Name, layout.Name + wcslen(layout.Name));
        for (const auto& text : kTexts) {
            const std::wstring path = folder.WriteFile(layout.Name, layout.File);
            for (const std::wstring& put : {value, std::wstring()}) {
                const std::string what = name + " " + text.Name + (put.empty() ? " \"\"" : " value");
                ASSERT_EQ(OpenFile(tag.Get(), path), S_OK) << what;
                std::vector<std::wstring> others = Properties(tag.Get());
                ASSERT_EQ(Put(tag.Get(), text.Put, put), S_OK) << what;
                SaveAndReopen(path, what);
                // The other properties show what they showed.
                others[static_cast<size_t>(&text - kTexts)] = put;
                EXPECT_EQ(Properties(reopened.Get()), others) << what;
                UniqueBstr read;
                ASSERT_EQ((reopened.Get()->*text.Get)(read.Receive()), S_OK) << what;
                EXPECT_EQ(std::wstring(read.Get(), read.Length()), put) << what;
            }
        }
        for (const auto& number : kNumbers) {
            const std::wstring path = folder.WriteFile(layout.Name, layout.File);
            for (const long put : {number.Value, 0L}) {
                const std::string what = name + " " + number.Name + " " + std::to_string(put);
                ASSERT_EQ(OpenFile(tag.Get(), path), S_OK) << what;
                std::vector<std::wstring> others = Properties(tag.Get());
                ASSERT_EQ((tag.Get()->*number.Put)(put), S_OK) << what;
                SaveAndReopen(path, what);
                others[std::size(kTexts) + static_cast<size_t>(&number - kNumbers)] = std::to_wstring(put);
                EXPECT_EQ(Properties(reopened.Get()), others) << what;
                long read = -1;
                ASSERT_EQ((reopened.Get()->*number.Get)(&read), S_OK) << what;
                EXPECT_EQ(read, put) << what;
            }
        }
    }
}
