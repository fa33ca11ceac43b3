// The Ogg writer through a planned save, over the files oggenc and opusenc made (mutagen
// tagged the Vorbis one, its comment header on five pages) and layouts built from them:
// the values read back, every page whole (its checksum, its stream's numbers one after
// another), the audio pages as they were, other streams byte for byte, refusals naming why.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <string>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "formats/utf8_text.h"
#include "planned_save.h"

namespace {

uint64_t Number(const Bytes& bytes, size_t at, int count) {
    uint64_t value = 0;
    for (int i = count; i-- > 0;) value = value << 8 | bytes[at + i];
    return value;
}

// The page checksum bit by bit: the tests' own, not the writer's.
uint32_t Checksum(const Bytes& page) {
    uint32_t crc = 0;
    for (size_t i = 0; i < page.size(); ++i) {
        crc ^= static_cast<uint32_t>(i >= 22 && i < 26 ? 0 : page[i]) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc & 0x80000000u) != 0 ? 0x04C11DB7u : 0);
    }
    return crc;
}

struct Page {
    Bytes Whole;
    uint32_t Serial() const { return static_cast<uint32_t>(Number(Whole, 14, 4)); }
    uint32_t Sequence() const { return static_cast<uint32_t>(Number(Whole, 18, 4)); }
};

// Every page of the file; none where it is not pages end to end.
std::vector<Page> PagesOf(const Bytes& file) {
    std::vector<Page> pages;
    for (size_t at = 0, size = 0; at < file.size(); at += size) {
        if (file.size() - at < 27 || file.size() - at < 27u + file[at + 26] || Number(file, at, 4) != 0x5367674F) {
            return {};
        }
        size = 27u + file[at + 26];
        for (size_t i = 0; i < file[at + 26]; ++i) size += file[at + 27 + i];
        if (size > file.size() - at) return {};
        pages.push_back({Bytes(file.begin() + at, file.begin() + at + size)});
    }
    return pages;
}

Bytes Joined(const std::vector<Page>& pages, size_t from = 0, size_t to = ~size_t{0}) {
    Bytes file;
    for (size_t i = from; i < std::min(to, pages.size()); ++i) file = file + pages[i].Whole;
    return file;
}

// A page given a stream's serial number and sequence number, its checksum made.
Page Stamped(Bytes whole, uint32_t serial, uint32_t sequence) {
    for (int i = 0; i < 4; ++i) {
        whole[14 + i] = static_cast<unsigned char>(serial >> (8 * i));
        whole[18 + i] = static_cast<unsigned char>(sequence >> (8 * i));
    }
    const uint32_t crc = Checksum(whole);
    for (int i = 0; i < 4; ++i) whole[22 + i] = static_cast<unsigned char>(crc >> (8 * i));
    return {whole};
}

// What holds of every save: pages end to end, each checksum right, each stream's numbers one
// after another from its first page, the stream's header pages (those of no granule
// position past 0) holding as many packets as before, and its audio pages as they were but
// for their numbers.
void ExpectSavedWhole(const Bytes& before, const Bytes& after, uint32_t serial) {
    const std::vector<Page> pages = PagesOf(after);
    ASSERT_FALSE(pages.empty()) << "not pages end to end";
    std::map<uint32_t, uint32_t> next;
    const auto audio = [serial](const std::vector<Page>& all) {
        std::vector<Bytes> kept(1);
        for (const Page& page : all) {
            const uint64_t granule = Number(page.Whole, 6, 8);
            if (page.Serial() != serial) continue;
            if (granule == 0 || granule == ~0ull) {
                const auto lacing = page.Whole.begin() + 27;
                kept[0].push_back(static_cast<unsigned char>(
                    std::count_if(lacing, lacing + page.Whole[26], [](unsigned char l) { return l < 255; })));
            } else {
                kept.push_back(Bytes(page.Whole.begin(), page.Whole.begin() + 18) +
                               Bytes(page.Whole.begin() + 26, page.Whole.end()));
            }
        }
        kept[0] = {static_cast<unsigned char>(std::accumulate(kept[0].begin(), kept[0].end(), 0))};
        return kept;
    };
    for (const Page& page : pages) {
        EXPECT_EQ(Checksum(page.Whole), Number(page.Whole, 22, 4));
        if ((page.Whole[5] & 2) == 0 && next.count(page.Serial()) != 0) {
            EXPECT_EQ(page.Sequence(), next[page.Serial()]);
        }
        next[page.Serial()] = page.Sequence() + 1;
    }
    EXPECT_EQ(audio(pages), audio(PagesOf(before)));
}

size_t Occurrences(const Bytes& file, const std::string& text) {
    size_t count = 0;
    for (auto at = file.begin(); (at = std::search(at, file.end(), text.begin(), text.end())) != file.end(); ++at) {
        ++count;
    }
    return count;
}

std::string Utf8(const std::u16string& text) {
    std::string out;
    AppendUtf8(text, out);
    return out;
}

struct Codec {
    const char* File;
    bool Opus;
};
void PrintTo(const Codec& codec, std::ostream* out) { *out << codec.File; }
const Codec kVorbis{"stereo-44k.ogg", false}, kOpus{"mono-48k.opus", true};

class OggWriter : public ::testing::TestWithParam<Codec> {
protected:
    void SetUp() override {
        ASSERT_TRUE(FormatFixturesNamed()) << "run through ctest";
        file_ = FormatFixtureBytes(GetParam().File);
        ASSERT_FALSE(PagesOf(file_).empty());
    }

    // A save that must succeed and keep the file whole.
    Bytes Saved(const Bytes& file, const TagEdits& edits, SaveWay expected = SaveWay::Undecided) {
        const PlannedSave saved = SaveEdits(file, edits);
        EXPECT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
        if (expected != SaveWay::Undecided) {
            EXPECT_EQ(saved.Way, expected);
        }
        ExpectSavedWhole(file, saved.File, PagesOf(file)[0].Serial());
        return saved.File;
    }

    Bytes file_;
};

TEST_P(OggWriter, FieldsReadBackInEveryScriptAndSeveralValuesAsSeveralFields) {
    const std::map<std::u16string, std::u16string> texts = {
        {u"TITLE", u"Caf\u00E9 \u00FCber"}, {u"ARTIST", u"\u6771\u4EAC\u4E8B\u5909"}, {u"ALBUM", u"Clef \U0001D11E"},
        {u"GENRE", u"Rock; Jazz; Blues"},   {u"COMMENT", u""},                         {u"MOOD", u"calm"}};
    const Bytes saved = Saved(file_, TextEdits(texts));
    const MediaTags tags = ReadMedia(saved);
    EXPECT_EQ(tags.Title, texts.at(u"TITLE"));
    EXPECT_EQ(tags.Artist, texts.at(u"ARTIST"));
    EXPECT_EQ(tags.Album, texts.at(u"ALBUM"));
    EXPECT_EQ(TextOf(tags, u"MOOD"), u"calm");
    EXPECT_EQ(TextOf(tags, u"GENRE"), u"Rock; Jazz; Blues");
    EXPECT_EQ(Occurrences(saved, "GENRE="), 3u);
    EXPECT_EQ(tags.Comment, u"");
    EXPECT_EQ(tags.Duration, ReadMedia(file_).Duration);
}

// A picture of 300 KB puts the comment header on more pages, its removal on fewer: the
// pages after them renumbered both ways.
TEST_P(OggWriter, PicturesAddedAndRemoved) {
    TagEdits edits;
    edits.RemovePictures = true;
    edits.Cover = {BytesOf("\x89PNG\r\n\x1A\n") + Bytes(300000, 0x5A), "image/png"};
    const Bytes pictured = Saved(file_, edits);
    const MediaTags tags = ReadMedia(pictured);
    ASSERT_TRUE(tags.HasPicture());
    EXPECT_EQ(tags.Picture.Type, 3);
    Bytes image;
    ASSERT_TRUE(CopyPictureBytes(pictured, tags, image));
    EXPECT_EQ(image, edits.Cover.Bytes);
    EXPECT_GT(PagesOf(pictured).size(), PagesOf(file_).size());
    TagEdits remove;
    remove.RemovePictures = true;
    const Bytes bare = Saved(pictured, remove);
    EXPECT_FALSE(ReadMedia(bare).HasPicture());
    EXPECT_EQ(ReadMedia(bare).Title, ReadMedia(file_).Title);
    EXPECT_LT(PagesOf(bare).size(), PagesOf(pictured).size());
}

// Each length across two lacing boundaries: a packet of a multiple of 255 bytes ends with
// a lacing value of 0.
TEST_P(OggWriter, CommentPacketsOfEverySizeAcrossLacingBoundaries) {
    for (size_t length = 700; length < 700 + 2 * 255 + 3 && !HasFailure(); ++length) {
        SCOPED_TRACE(length);
        const std::u16string value(length, u'x');
        EXPECT_EQ(TextOf(ReadMedia(Saved(file_, TextEdits({{u"LONG", value}}))), u"LONG"), value);
    }
}

// The same edits give the same file and, saved again, write nothing; a value of the same
// length makes header pages of the same size, written in place (Opus's padding takes some
// growth too); one longer moves the audio, through a new file.
TEST_P(OggWriter, SameEditsSameFileInPlaceWhereTheSizeHolds) {
    EXPECT_EQ(SaveEdits(file_, TagEdits()).Way, SaveWay::Nothing);
    const TagEdits edits = TextEdits({{u"TITLE", u"Title one"}});
    const Bytes once = Saved(file_, edits);
    EXPECT_EQ(Saved(file_, edits), once);
    Saved(once, edits, SaveWay::Nothing);
    EXPECT_EQ(ReadMedia(Saved(once, TextEdits({{u"TITLE", u"Title two"}}), SaveWay::InPlace)).Title, u"Title two");
    Saved(once, TextEdits({{u"TITLE", u"Title three is longer"}}),
          GetParam().Opus ? SaveWay::InPlace : SaveWay::NewFile);
    Saved(once, TextEdits({{u"TITLE", std::u16string(3000, u't')}}), SaveWay::NewFile);
}

INSTANTIATE_TEST_SUITE_P(Codecs, OggWriter, ::testing::Values(kVorbis, kOpus),
                         [](const ::testing::TestParamInfo<Codec>& codec) {
                             return std::string(codec.param.Opus ? "Opus" : "Vorbis");
                         });

// Layouts of several streams, and damaged ones, built from the two files.
class OggStreams : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FormatFixturesNamed()) << "run through ctest";
        vorbis_ = PagesOf(FormatFixtureBytes(kVorbis.File));
        opus_ = PagesOf(FormatFixtureBytes(kOpus.File));
        ASSERT_FALSE(vorbis_.empty() || opus_.empty());
        for (Page& page : opus_) page = Stamped(page.Whole, 0x0DD, page.Sequence());
    }

    // Only the stream's comment changes: the other streams' pages kept byte for byte in their order.
    static PlannedSave ExpectOnlyStreamEdited(const Bytes& file, uint32_t serial) {
        const PlannedSave saved = SaveEdits(file, TextEdits({{u"TITLE", std::u16string(5000, u'm')}}));
        EXPECT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
        ExpectSavedWhole(file, saved.File, serial);
        EXPECT_EQ(ReadMedia(saved.File).Title, std::u16string(5000, u'm'));
        const auto others = [serial](const Bytes& bytes) {
            std::vector<Page> pages = PagesOf(bytes);
            pages.erase(std::remove_if(pages.begin(), pages.end(), [&](const Page& p) { return p.Serial() == serial; }),
                        pages.end());
            return Joined(pages);
        };
        EXPECT_EQ(others(saved.File), others(file));
        return saved;
    }

    std::vector<Page> vorbis_, opus_;
};

// The two streams' first pages first, then their pages in turn.
std::vector<Page> Interleaved(const std::vector<Page>& a, const std::vector<Page>& b) {
    std::vector<Page> pages{a[0], b[0]};
    for (size_t i = 1; i < std::max(a.size(), b.size()); ++i) {
        if (i < a.size()) pages.push_back(a[i]);
        if (i < b.size()) pages.push_back(b[i]);
    }
    return pages;
}

TEST_F(OggStreams, MultiplexedTheFirstAudioStreamIsEdited) {
    ExpectOnlyStreamEdited(Joined(Interleaved(vorbis_, opus_)), vorbis_[0].Serial());
    std::vector<Page> pages = Interleaved(opus_, vorbis_);
    ExpectOnlyStreamEdited(Joined(pages), 0x0DD);
    // A stream of another codec in front is passed over.
    pages.insert(pages.begin(), Stamped(OggPage(2, 0, {BytesOf("fishead") + Bytes(57, 0)}), 0x5EE, 0));
    ExpectOnlyStreamEdited(Joined(pages), 0x0DD);
}

TEST_F(OggStreams, ChainedTheFirstLinkIsEditedAndTheNextKeptWhole) {
    std::vector<Page> unended = vorbis_;
    unended.back().Whole[5] &= ~4;
    unended.back() = Stamped(unended.back().Whole, unended.back().Serial(), unended.back().Sequence());
    const Bytes vorbis = Joined(vorbis_), opus = Joined(opus_);
    // The next link is of another serial number, or of the same, which starts a numbering of
    // its own, also after a last page that fails to say it is the last.
    for (const auto& link : {std::make_pair(vorbis, opus), std::make_pair(vorbis, vorbis),
                             std::make_pair(Joined(unended), vorbis)}) {
        const Bytes& next = link.second;
        const Bytes saved = ExpectOnlyStreamEdited(link.first + next, vorbis_[0].Serial()).File;
        EXPECT_NE(saved.size(), link.first.size() + next.size());
        EXPECT_TRUE(std::equal(next.begin(), next.end(), saved.end() - static_cast<std::ptrdiff_t>(next.size())));
    }
}

// Data after the Opus comment list whose first byte has its lowest bit set is kept as it is.
TEST_F(OggStreams, OpusDataAfterTheCommentsKept) {
    std::vector<Page> opus = opus_;
    const Bytes tags = BytesOf("OpusTags") + VorbisComments({"TITLE=x"}) + BytesOf("\x01kept");
    opus[1] = Stamped(OggPage(0, 0, {tags}), 0x0DD, 1);
    for (const std::u16string& title : {std::u16string(u"y"), std::u16string(3000, u'z')}) {
        const PlannedSave saved = SaveEdits(Joined(opus), TextEdits({{u"TITLE", title}}));
        ASSERT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
        EXPECT_EQ(ReadMedia(saved.File).Title, title);
        EXPECT_EQ(Occurrences(saved.File, Utf8(title) + "\x01kept"), 1u);
    }
}

// A page of no packets among the headers, at which readers stop, is not laid out again.
TEST_F(OggStreams, AnEmptyPageAmongTheHeadersDropped) {
    std::vector<Page> opus = opus_;
    opus.insert(opus.begin() + 1, Stamped(OggPage(0, 0, {}), 0x0DD, 1));
    for (size_t i = 2; i < opus.size(); ++i) opus[i] = Stamped(opus[i].Whole, 0x0DD, static_cast<uint32_t>(i));
    // A title that fits the padding, the comment header keeping its size.
    const PlannedSave saved = SaveEdits(Joined(opus), TextEdits({{u"TITLE", u"fits"}}));
    ASSERT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
    ExpectSavedWhole(Joined(opus), saved.File, 0x0DD);
    EXPECT_EQ(ReadMedia(saved.File).Title, u"fits");
    EXPECT_EQ(PagesOf(saved.File).size(), opus_.size());
}

// A picture field whose text breaks off early: the fields after it still read back, the
// edited one (written last) too.
TEST_F(OggStreams, FieldsAfterABrokenPictureReadBack) {
    std::vector<Page> opus = opus_;
    const Bytes tags = BytesOf("OpusTags") + VorbisComments({"METADATA_BLOCK_PICTURE=AAAA\xF7" "AAAAAAA", "MOOD=calm"});
    opus[1] = Stamped(OggPage(0, 0, {tags}), 0x0DD, 1);
    const PlannedSave saved = SaveEdits(Joined(opus), TextEdits({{u"TITLE", u"last"}}));
    ASSERT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
    EXPECT_EQ(ReadMedia(saved.File).Title, u"last");
    EXPECT_EQ(TextOf(ReadMedia(saved.File), u"MOOD"), u"calm");
}

// The Opus file the other tests build by hand, pages numbered 0 all through: saved whole.
TEST_F(OggStreams, HandBuiltOpusFileSaved) {
    for (const auto& file : FilesOfEveryFormat(BytesOf("\x89PNG\r\n\x1A\n") + Bytes(100, 1))) {
        if (std::string(file.first) != "Opus") continue;
        const PlannedSave saved = SaveEdits(file.second, TextEdits({{u"TITLE", std::u16string(70000, u'h')}}));
        ASSERT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
        EXPECT_EQ(ReadMedia(saved.File).Title, std::u16string(70000, u'h'));
        EXPECT_TRUE(ReadMedia(saved.File).HasPicture());
    }
}

// Layouts the writer cannot keep whole: refused naming why, the file as it was.
TEST_F(OggStreams, DamagedOrUnwrittenLayoutsAreRefused) {
    std::vector<Page> badChecksum = vorbis_, audioOnHeaderPage = opus_;
    badChecksum[1].Whole.back() ^= 1;
    std::vector<Page> continuedFirst = vorbis_;
    continuedFirst[0].Whole[5] |= 1;
    continuedFirst[0] = Stamped(continuedFirst[0].Whole, vorbis_[0].Serial(), 0);
    audioOnHeaderPage[1] = Stamped(OggPage(0, 0, {BytesOf("OpusTags") + VorbisComments({}), Bytes(9, 1)}), 0x0DD, 1);
    const size_t audio = 6;  // the first audio page: mutagen put the comment header on five
    const Bytes vorbis = Joined(vorbis_);
    const struct {
        const char* Name;
        Bytes File;
        const char* Why;  // in the reason
    } cases[] = {
        {"a header page's checksum wrong", Joined(badChecksum), "checksum"},
        {"the first page continuing a packet", Joined(continuedFirst), "continues a packet"},
        {"the headers cut short", Bytes(vorbis.begin(), vorbis.begin() + 700), "cannot be walked"},
        {"an audio packet on a header page", Joined(audioOnHeaderPage), "audio packet"},
        {"junk after the headers", Joined(vorbis_, 0, audio) + BytesOf("junk") + Joined(vorbis_, audio),
         "after the headers"},
        {"no audio stream", Stamped(OggPage(2, 0, {BytesOf("fishead") + Bytes(57, 0)}), 1, 0).Whole,
         "no Vorbis or Opus"},
        {"FLAC in Ogg", FormatFixtureBytes("stereo-44k.oga"), "FLAC in Ogg"},
    };
    for (const auto& layout : cases) {
        SCOPED_TRACE(layout.Name);
        const PlannedSave saved = SaveEdits(layout.File, TextEdits({{u"TITLE", std::u16string(5000, u'r')}}));
        EXPECT_FALSE(saved.Verdict.Ok());
        EXPECT_NE(Utf8(saved.Verdict.Reason).find(layout.Why), std::string::npos) << Utf8(saved.Verdict.Reason);
        EXPECT_EQ(saved.File, layout.File);
    }
}

}  // namespace
