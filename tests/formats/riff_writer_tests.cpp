// The WAV and AIFF writer over bytes in memory: every property through the ID3v2 chunk and
// WAV's INFO alike, every other chunk byte for byte, the form's size and pad bytes, the
// next edit in place, and the layouts it refuses.
#include <gtest/gtest.h>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "planned_save.h"
#include "writer_checks.h"
#include "property_rows.h"

namespace {

struct Chunk {
    std::string Id;
    Bytes Body;
    bool operator==(const Chunk& other) const { return Id == other.Id && Body == other.Body; }
};

uint32_t SizeAt(const Bytes& file, size_t at, bool bigEndian) {
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i) size |= static_cast<uint32_t>(file[at + i]) << (bigEndian ? 24 - 8 * i : 8 * i);
    return size;
}

// The form's chunks, checking that the form's size is the file's and every pad byte is there.
std::vector<Chunk> ChunksOf(const Bytes& file, bool bigEndian) {
    std::vector<Chunk> chunks;
    EXPECT_EQ(SizeAt(file, 4, bigEndian), file.size() - 8) << "form size";
    size_t at = 12;
    while (at + 8 <= file.size()) {
        const uint32_t size = SizeAt(file, at + 4, bigEndian);
        EXPECT_LE(at + 8 + size, file.size());
        if (at + 8 + size > file.size()) break;
        chunks.push_back({std::string(file.begin() + at, file.begin() + at + 4),
                          Bytes(file.begin() + at + 8, file.begin() + at + 8 + size)});
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(at, file.size()) << "pad bytes";
    return chunks;
}

std::vector<Chunk> Without(std::vector<Chunk> chunks, std::initializer_list<const char*> ids) {
    for (const char* id : ids) {
        chunks.erase(std::remove_if(chunks.begin(), chunks.end(), [&](const Chunk& c) { return c.Id == id; }),
                     chunks.end());
    }
    return chunks;
}

Bytes Form(bool aiff, const Bytes& chunks) {
    return BytesOf(aiff ? "FORM" : "RIFF") + (aiff ? BigEndian(static_cast<uint32_t>(chunks.size() + 4), 4)
                                                   : LittleEndian(chunks.size() + 4, 4)) +
           BytesOf(aiff ? "AIFF" : "WAVE") + chunks;
}

const Bytes kWaveFormat = LittleEndian(1, 2) + LittleEndian(2, 2) + LittleEndian(8000, 4) + LittleEndian(32000, 4) +
                          LittleEndian(4, 2) + LittleEndian(16, 2);
const Bytes kCommon = BigEndian(2, 2) + BigEndian(1000, 4) + BigEndian(16, 2) + Bytes{0x40, 0x0E, 0xAC, 0x44} + Bytes(6, 0);

Bytes Info(const std::vector<std::pair<std::string, std::string>>& items) {
    Bytes list = BytesOf("INFO");
    for (const auto& item : items) list = list + RiffChunk(item.first, BytesOf(item.second) + Bytes{0});
    return RiffChunk("LIST", list);
}

// The layouts the writer meets: no tags, INFO alone, an ID3v2.4 chunk before the audio
// beside INFO and an unknown odd chunk, AIFF with and without a chunk.
struct Layout {
    const char* Name;
    bool Aiff;
    Bytes File;
};
std::vector<Layout> Layouts() {
    const Bytes id3 = RiffChunk("id3 ", Tag(4, TextFrame(4, "TIT2", "Old") + TextFrame(4, "TBPM", "99") + Bytes(40, 0)));
    const Bytes data = RiffChunk("data", Bytes(2001, 0x11));
    return {{"bare WAV", false, Form(false, RiffChunk("fmt ", kWaveFormat) + data)},
            {"WAV with INFO", false,
             Form(false, RiffChunk("fmt ", kWaveFormat) + Info({{"INAM", "Info"}, {"IART", "Info Artist"}, {"IPRD", "A"},
                                                               {"ICMT", "c"}, {"IGNR", "Jazz"}, {"ICRD", "1999"},
                                                               {"ITRK", "4"}, {"IPRT", "4"}, {"ISFT", "tool"}}) + data)},
            {"WAV with id3 first", false,
             Form(false, RiffChunk("fmt ", kWaveFormat) + id3 + Info({{"INAM", "Info"}}) + RiffChunk("odd!", Bytes(3, 7)) +
                             data)},
            {"AIFF", true, Form(true, RiffChunk("COMM", kCommon, true) + RiffChunk("SSND", Bytes(2008, 5), true))},
            {"AIFF with ID3", true,
             Form(true, RiffChunk("COMM", kCommon, true) + RiffChunk("SSND", Bytes(2008, 5), true) +
                            RiffChunk("ID3 ", Tag(3, TextFrame(3, "TALB", "Kept") + Bytes(500, 0)), true))}};
}

}  // namespace

TEST(RiffWriter, EveryPropertySetAndRemovedReadsBackAndTheRestStaysByteForByte) {
    for (const Layout& layout : Layouts()) {
        const std::vector<Chunk> kept = Without(ChunksOf(layout.File, layout.Aiff), {"id3 ", "ID3 ", "LIST"});
        for (const PropertyRow& row : PropertyRows({u"TBPM", u"TXXX:Mood"})) {
            SCOPED_TRACE(std::string(layout.Name) + " " + std::string(row.Key.begin(), row.Key.begin() + 4));
            const PlannedSave set = SaveEdits(layout.File, TextEdits({{row.Key, row.Value}}));
            ASSERT_TRUE(set.Verdict.Ok());
            EXPECT_EQ(row.Read(ReadMedia(set.File)), row.Value);
            EXPECT_EQ(Without(ChunksOf(set.File, layout.Aiff), {"id3 ", "ID3 ", "LIST"}), kept);
            const PlannedSave removed = SaveEdits(set.File, TextEdits({{row.Key, u""}}));
            ASSERT_TRUE(removed.Verdict.Ok());
            EXPECT_EQ(row.Read(ReadMedia(removed.File)), row.Key == kTrackKey ? u"/" : u"");
            // The same values saved again: the same bytes, and nothing to write.
            const PlannedSave again = SaveEdits(set.File, TextEdits({{row.Key, row.Value}}));
            EXPECT_EQ(again.File, set.File);
            EXPECT_EQ(again.Way, SaveWay::Nothing);
        }
    }
}

TEST(RiffWriter, InfoItemsThatExistTakeTheEditsInTheCodePageAndNoneIsAdded) {
    const Bytes file = Layouts()[1].File;
    const PlannedSave saved = SaveEdits(file, TextEdits({{kTitleKey, u"Caf\u00E9 \u6771"}, {kArtistKey, u""},
                                                         {kTrackKey, u"5/9"}, {kComposerKey, u"New"},
                                                         {kAlbumArtistKey, u"AA"}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    const std::vector<Chunk> chunks = ChunksOf(saved.File, false);
    const auto list = std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.Id == "LIST"; });
    ASSERT_NE(list, chunks.end());
    const Bytes info = Bytes(list->Body.begin() + 4, list->Body.end());
    auto item = [](const char* id, const std::string& text) { return RiffChunk(id, BytesOf(text) + Bytes{0}); };
    const Bytes expected = item("INAM", "Caf\xE9 ?") + item("IPRD", "A") + item("ICMT", "c") + item("IGNR", "Jazz") +
                           item("ICRD", "1999") + item("ITRK", "5/9") + item("IPRT", "5/9") + item("ISFT", "tool");
    EXPECT_EQ(info, expected);
    const MediaTags tags = ReadMedia(saved.File);
    EXPECT_EQ(tags.Title, u"Caf\u00E9 \u6771");
    EXPECT_EQ(tags.Artist, u"");  // not INFO's, which went with it
    EXPECT_EQ(tags.Track, 5);
    EXPECT_EQ(tags.Composer, u"New");
    EXPECT_EQ(TextOf(tags, u"ISFT"), u"tool");
    EXPECT_EQ(tags.TagTypes, u"RIFF INFO ID3v2.3");
}

TEST(RiffWriter, PicturesAreSetAndRemoved) {
    const Bytes png = BytesOf("\x89PNG\r\n\x1a\n") + Bytes(3000, 9);
    for (const Layout& layout : Layouts()) {
        SCOPED_TRACE(layout.Name);
        ExpectCoverSetAndRemoved(layout.File, png);
    }
}

TEST(RiffWriter, AWrittenTagLeavesRoomForTheNextEditInPlaceAndCopiesEndTheSame) {
    for (const Layout& layout : Layouts()) {
        SCOPED_TRACE(layout.Name);
        // INFO keeps no composer: only the tag changes.
        const PlannedSave first = SaveEdits(layout.File, TextEdits({{kComposerKey, u"First"}}));
        ASSERT_TRUE(first.Verdict.Ok());
        const PlannedSave second = SaveEdits(first.File, TextEdits({{kComposerKey, u"A longer second composer"}}));
        EXPECT_EQ(second.Way, SaveWay::InPlace);
        EXPECT_EQ(second.File.size(), first.File.size());
        EXPECT_EQ(ReadMedia(second.File).Composer, u"A longer second composer");
    }
    // A file without a tag and one whose tag has no room, given the same values: one file.
    const Bytes audio = RiffChunk("fmt ", kWaveFormat) + RiffChunk("data", Bytes(4000, 3));
    const Bytes tagged = Form(false, audio + RiffChunk("id3 ", Tag(3, TextFrame(3, "TIT2", "x") +
                                                                         TextFrame(3, "TXXX", std::string("Big\0", 4) +
                                                                                                  std::string(3000, 'b')))));
    const TagEdits edits = TextEdits({{kTitleKey, u"Same"}, {u"TXXX:Big", u""}});
    EXPECT_EQ(SaveEdits(tagged, edits).File, SaveEdits(Form(false, audio), edits).File);
    // A tag that fills its chunk: in place up to its last byte, anew one byte past it.
    const Bytes full = Form(false, audio + RiffChunk("id3 ", Tag(3, TextFrame(3, "TIT2", "abc"))));
    const struct {
        const char16_t* Title;
        SaveWay Way;
    } limits[] = {{u"abc", SaveWay::Nothing}, {u"abd", SaveWay::InPlace}, {u"abcd", SaveWay::NewFile}};
    for (const auto& limit : limits) {
        const PlannedSave saved = SaveEdits(full, TextEdits({{kTitleKey, limit.Title}}));
        EXPECT_EQ(saved.Way, limit.Way);
        EXPECT_EQ(ReadMedia(saved.File).Title, limit.Title);
    }
}

TEST(RiffWriter, AMissingLastPadByteIsWrittenBytesAfterTheFormStayAndTheRealFilesKeepTheirAudio) {
    // Some writers leave the pad byte of an odd last chunk out.
    const Bytes body = RiffChunk("fmt ", kWaveFormat) + BytesOf("data") + LittleEndian(4001, 4) + Bytes(4001, 1);
    const Bytes cut = BytesOf("RIFF") + LittleEndian(body.size() + 5, 4) + BytesOf("WAVE") + body;
    const PlannedSave saved = SaveEdits(cut, TextEdits({{kTitleKey, u"Padded"}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    EXPECT_EQ(ChunksOf(saved.File, false).size(), 3u);
    EXPECT_EQ(ReadMedia(saved.File).Title, u"Padded");
    // An ID3v1 tag some taggers append after the form.
    const Bytes tail = Id3v1Tag("v1 title", "v1 artist", 1, 2);
    const Bytes appended = Layouts()[0].File + tail;
    const PlannedSave kept = SaveEdits(appended, TextEdits({{kTitleKey, u"Form"}}));
    ASSERT_TRUE(kept.Verdict.Ok());
    ASSERT_GT(kept.File.size(), tail.size());
    EXPECT_EQ(Bytes(kept.File.end() - static_cast<std::ptrdiff_t>(tail.size()), kept.File.end()), tail);
    EXPECT_EQ(SizeAt(kept.File, 4, false), kept.File.size() - tail.size() - 8);
    // Of two ID3v2 chunks the reader reads the first: the save edits it and keeps the other.
    const Bytes second = RiffChunk("id3 ", Tag(3, TextFrame(3, "TIT2", "second")));
    const Bytes twice = Form(false, RiffChunk("fmt ", kWaveFormat) + RiffChunk("id3 ", Tag(3, TextFrame(3, "TIT2", "first"))) +
                                        RiffChunk("data", Bytes(100, 0)) + second);
    const PlannedSave twiceSaved = SaveEdits(twice, TextEdits({{kAlbumKey, u"Album"}}));
    EXPECT_EQ(ReadMedia(twiceSaved.File).Title, u"first");
    EXPECT_EQ(ReadMedia(twiceSaved.File).Album, u"Album");
    EXPECT_EQ(Bytes(twiceSaved.File.end() - static_cast<std::ptrdiff_t>(second.size()), twiceSaved.File.end()), second);
    for (const char* name : {"stereo-44k-id3.wav", "mono-22k-info-id3.wav", "mono-22k-info.wav", "stereo-44k.aiff",
                             "mono-48k.aifc"}) {
        SCOPED_TRACE(name);
        const Bytes file = FormatFixtureBytes(name);
        if (file.empty()) continue;
        const bool aiff = file[0] == 'F';
        const MediaTags before = ReadMedia(file);
        const PlannedSave edited = SaveEdits(file, TextEdits({{kGenreKey, u"Ska"}}));
        ASSERT_TRUE(edited.Verdict.Ok());
        const MediaTags after = ReadMedia(edited.File);
        EXPECT_EQ(after.Genre, u"Ska");
        EXPECT_EQ(after.Title, before.Title);
        EXPECT_EQ(after.Artist, before.Artist);
        EXPECT_EQ(after.Duration, before.Duration);
        EXPECT_EQ(Without(ChunksOf(edited.File, aiff), {"id3 ", "ID3 ", "LIST"}),
                  Without(ChunksOf(file, aiff), {"id3 ", "ID3 ", "LIST"}));
    }
}

TEST(RiffWriter, LayoutsThatCannotBeKeptWholeAreRefusedByName) {
    const Bytes good = Layouts()[2].File;
    auto withSizeAt = [&](size_t at, uint32_t size) {
        Bytes file = good;
        const Bytes bytes = LittleEndian(size, 4);
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
        return file;
    };
    const size_t listAt = 12 + 24 + 8 + SizeAt(good, 36 + 4, false);
    const struct {
        const char* Name;
        Bytes File;
        SaveRefusal Refusal;
    } cases[] = {
        {"odd RIFF size", withSizeAt(4, static_cast<uint32_t>(good.size() - 9)), SaveRefusal::Damaged},
        {"RIFF past the end", withSizeAt(4, static_cast<uint32_t>(good.size())), SaveRefusal::Damaged},
        {"chunk past the end", withSizeAt(good.size() - 2001 - 1 - 4, 5000), SaveRefusal::Damaged},
        {"INFO item past its list", withSizeAt(listAt + 12 + 4, 200), SaveRefusal::Damaged},
        {"short of a chunk header", Form(false, RiffChunk("fmt ", kWaveFormat) + Bytes(4, 0)), SaveRefusal::Damaged},
        {"ID3v2.5 chunk", Form(false, RiffChunk("fmt ", kWaveFormat) + RiffChunk("id3 ", BytesOf("ID3\x05") + Bytes(40, 0))),
         SaveRefusal::Unsupported},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.Name);
        const PlannedSave saved = SaveEdits(refused.File, TextEdits({{kTitleKey, u"t"}}));
        EXPECT_EQ(saved.Verdict.Refusal, refused.Refusal);
        EXPECT_FALSE(saved.Verdict.Reason.empty());
        EXPECT_EQ(saved.File, refused.File);
    }
}
