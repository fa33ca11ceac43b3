// The Ogg writer through a planned save, over files oggenc and opusenc made (mutagen tagged
// the Vorbis one, its comment header spanning pages) and layouts built from them: the
// values read back, every page whole (its checksum, the numbers of its stream one after
// another), the audio pages as they were, the other streams' pages byte for byte, and the
// refusals naming why with the file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "formats/utf8_text.h"
#include "planned_save.h"

namespace {

// The page checksum, bit by bit: the tests' own, not the writer's.
uint32_t Checksum(const Bytes& page) {
    uint32_t crc = 0;
    for (size_t i = 0; i < page.size(); ++i) {
        crc ^= static_cast<uint32_t>(i >= 22 && i < 26 ? 0 : page[i]) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc & 0x80000000u) != 0 ? 0x04C11DB7u : 0);
    }
    return crc;
}

uint64_t Number(const Bytes& bytes, size_t at, int count) {
    uint64_t value = 0;
    for (int i = count; i-- > 0;) value = value << 8 | bytes[at + i];
    return value;
}

struct Page {
    uint8_t Flags = 0;
    uint64_t Granule = 0;
    uint32_t Serial = 0, Sequence = 0;
    bool ChecksumRight = false;
    Bytes Whole;  // header and body
    size_t HeaderSize = 0;
    Bytes Lacing() const { return Bytes(Whole.begin() + 27, Whole.begin() + static_cast<std::ptrdiff_t>(HeaderSize)); }
};

// Every page of the file; a file that is not pages end to end gives none.
std::vector<Page> PagesOf(const Bytes& file) {
    std::vector<Page> pages;
    for (size_t at = 0; at < file.size();) {
        if (file.size() - at < 27 || std::string(file.begin() + at, file.begin() + at + 4) != "OggS" ||
            file.size() - at < 27u + file[at + 26]) {
            return {};
        }
        Page page;
        page.HeaderSize = 27u + file[at + 26];
        size_t size = page.HeaderSize;
        for (size_t i = 27; i < page.HeaderSize; ++i) size += file[at + i];
        if (size > file.size() - at) return {};
        page.Whole.assign(file.begin() + at, file.begin() + at + size);
        page.Flags = file[at + 5];
        page.Granule = Number(file, at + 6, 8);
        page.Serial = static_cast<uint32_t>(Number(file, at + 14, 4));
        page.Sequence = static_cast<uint32_t>(Number(file, at + 18, 4));
        page.ChecksumRight = Checksum(page.Whole) == Number(file, at + 22, 4);
        pages.push_back(page);
        at += size;
    }
    return pages;
}

Bytes Joined(const std::vector<Page>& pages) {
    Bytes file;
    for (const Page& page : pages) file = file + page.Whole;
    return file;
}

// A page with its checksum made, as a hand-built page needs it.
Page Checksummed(Page page) {
    const uint32_t crc = Checksum(page.Whole);
    for (int i = 0; i < 4; ++i) page.Whole[22 + i] = static_cast<unsigned char>(crc >> (8 * i));
    return page;
}

Page WithSerial(Page page, uint32_t serial, uint32_t sequence = ~0u) {
    for (int i = 0; i < 4; ++i) page.Whole[14 + i] = static_cast<unsigned char>(serial >> (8 * i));
    page.Serial = serial;
    if (sequence != ~0u) {
        for (int i = 0; i < 4; ++i) page.Whole[18 + i] = static_cast<unsigned char>(sequence >> (8 * i));
        page.Sequence = sequence;
    }
    return Checksummed(page);
}

// The pages of a stream after the one its header packets (headerPackets of them) end on.
std::vector<Page> AudioPages(const std::vector<Page>& pages, uint32_t serial, int headerPackets) {
    std::vector<Page> audio;
    int ended = 0;
    for (const Page& page : pages) {
        if (page.Serial != serial) continue;
        if (ended >= headerPackets) {
            audio.push_back(page);
            continue;
        }
        const Bytes lacing = page.Lacing();
        ended += static_cast<int>(std::count_if(lacing.begin(), lacing.end(), [](unsigned char l) { return l < 255; }));
    }
    return audio;
}

// What must hold of every saved file: pages end to end, each checksum right, each stream's
// numbers one after another.
void ExpectPagesWhole(const Bytes& file) {
    const std::vector<Page> pages = PagesOf(file);
    ASSERT_FALSE(pages.empty()) << "not pages end to end";
    std::map<uint32_t, uint32_t> next;
    for (size_t i = 0; i < pages.size(); ++i) {
        const Page& page = pages[i];
        EXPECT_TRUE(page.ChecksumRight) << "page " << i;
        if ((page.Flags & 2) == 0 && next.count(page.Serial) != 0) {
            EXPECT_EQ(page.Sequence, next[page.Serial]) << "page " << i;
        }
        next[page.Serial] = page.Sequence + 1;
    }
}

// The audio pages of the stream, header (granule, numbers aside) and body, as they were.
void ExpectAudioKept(const Bytes& before, const Bytes& after, uint32_t serial, int headerPackets) {
    const std::vector<Page> old = AudioPages(PagesOf(before), serial, headerPackets);
    const std::vector<Page> fresh = AudioPages(PagesOf(after), serial, headerPackets);
    ASSERT_EQ(old.size(), fresh.size());
    ASSERT_FALSE(old.empty());
    for (size_t i = 0; i < old.size(); ++i) {
        EXPECT_EQ(old[i].Granule, fresh[i].Granule) << "audio page " << i;
        EXPECT_EQ(old[i].Flags, fresh[i].Flags) << "audio page " << i;
        EXPECT_TRUE(std::equal(old[i].Whole.begin() + 26, old[i].Whole.end(), fresh[i].Whole.begin() + 26,
                               fresh[i].Whole.end()))
            << "audio page " << i;
    }
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
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                    static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

struct Codec {
    const char* File;
    int HeaderPackets;
};
const Codec kVorbis{"stereo-44k.ogg", 3}, kOpus{"mono-48k.opus", 2};

void PrintTo(const Codec& codec, std::ostream* out) { *out << codec.File; }

class OggWriter : public ::testing::TestWithParam<Codec> {
protected:
    void SetUp() override {
        ASSERT_TRUE(FormatFixturesNamed()) << "run through ctest";
        file_ = FormatFixtureBytes(GetParam().File);
        ASSERT_FALSE(PagesOf(file_).empty());
        serial_ = PagesOf(file_)[0].Serial;
    }

    // A save that must succeed, keep every page whole and the audio as it was.
    Bytes Saved(const Bytes& file, const TagEdits& edits, SaveWay* way = nullptr) {
        const PlannedSave saved = SaveEdits(file, edits);
        EXPECT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
        if (way != nullptr) *way = saved.Way;
        ExpectPagesWhole(saved.File);
        ExpectAudioKept(file, saved.File, serial_, GetParam().HeaderPackets);
        return saved.File;
    }

    Bytes file_;
    uint32_t serial_ = 0;
};

TEST_P(OggWriter, FieldsReadBackInEveryScriptAndSeveralValuesAsSeveralFields) {
    const std::map<std::u16string, std::u16string> texts = {
        {u"TITLE", u"Caf\u00E9 \u00FCber"},      {u"ARTIST", u"\u6771\u4EAC\u4E8B\u5909"},
        {u"ALBUM", u"Clef \U0001D11E sign"},     {u"GENRE", u"Rock; Jazz; Blues"},
        {u"COMMENT", u""},                        {u"DESCRIPTION", u""},
        {u"MOOD", u"calm"}};
    const Bytes saved = Saved(file_, TextEdits(texts));
    const MediaTags tags = ReadMedia(saved);
    EXPECT_EQ(tags.Title, texts.at(u"TITLE"));
    EXPECT_EQ(tags.Artist, texts.at(u"ARTIST"));
    EXPECT_EQ(tags.Album, texts.at(u"ALBUM"));
    EXPECT_EQ(TextOf(tags, u"MOOD"), u"calm");
    EXPECT_EQ(TextOf(tags, u"GENRE"), u"Rock; Jazz; Blues");
    EXPECT_EQ(Occurrences(saved, "GENRE="), 3u);
    EXPECT_EQ(tags.Comment, u"");
    EXPECT_EQ(tags.Format, ReadMedia(file_).Format);
    EXPECT_EQ(tags.Duration, ReadMedia(file_).Duration);
}

TEST_P(OggWriter, PicturesAddedAndRemoved) {
    TagEdits edits;
    edits.RemovePictures = true;
    edits.Cover.Bytes = BytesOf("\x89PNG\r\n\x1A\n") + Bytes(300000, 0x5A);
    edits.Cover.MimeType = "image/png";
    const Bytes pictured = Saved(file_, edits);
    const MediaTags tags = ReadMedia(pictured);
    ASSERT_TRUE(tags.HasPicture());
    EXPECT_EQ(tags.Picture.Type, 3);
    Bytes image;
    ASSERT_TRUE(CopyPictureBytes(pictured, tags, image));
    EXPECT_EQ(image, edits.Cover.Bytes);
    // A comment header of some 400 KB spans pages; without it, it takes fewer again.
    EXPECT_GT(PagesOf(pictured).size(), PagesOf(file_).size());
    TagEdits remove;
    remove.RemovePictures = true;
    const Bytes bare = Saved(pictured, remove);
    EXPECT_FALSE(ReadMedia(bare).HasPicture());
    EXPECT_EQ(ReadMedia(bare).Title, ReadMedia(file_).Title);
    EXPECT_LT(PagesOf(bare).size(), PagesOf(pictured).size());
}

// Values of each length across a few lacing boundaries: a packet of a multiple of 255 bytes
// ends with a lacing value of 0, a packet one byte longer starts a segment of its own.
TEST_P(OggWriter, CommentPacketsOfEverySizeAcrossLacingBoundaries) {
    for (size_t length = 700; length < 700 + 2 * 255 + 3; length += 1) {
        SCOPED_TRACE(length);
        const std::u16string value(length, u'x');
        const Bytes saved = Saved(file_, TextEdits({{u"LONG", value}}));
        EXPECT_EQ(TextOf(ReadMedia(saved), u"LONG"), value);
        if (::testing::Test::HasFailure()) break;
    }
}

TEST_P(OggWriter, SameEditsSameFileAndASecondSaveWritesNothing) {
    const TagEdits edits = TextEdits({{u"TITLE", u"A title of some length"}, {u"ARTIST", u"Somebody"}});
    const Bytes once = Saved(file_, edits);
    EXPECT_EQ(Saved(file_, edits), once);
    SaveWay way = SaveWay::Undecided;
    EXPECT_EQ(Saved(once, edits, &way), once);
    EXPECT_EQ(way, SaveWay::Nothing);
    EXPECT_EQ(SaveEdits(file_, TagEdits()).Way, SaveWay::Nothing);
}

// A value of the same length makes header pages of the same size: written in place.  One
// longer moves the audio, through a new file (Opus's padding takes some growth in place).
TEST_P(OggWriter, SameSizeInPlaceElseNewFile) {
    const Bytes once = Saved(file_, TextEdits({{u"TITLE", u"Title one"}}));
    SaveWay way = SaveWay::Undecided;
    const Bytes same = Saved(once, TextEdits({{u"TITLE", u"Title two"}}), &way);
    EXPECT_EQ(way, SaveWay::InPlace);
    EXPECT_EQ(same.size(), once.size());
    EXPECT_EQ(ReadMedia(same).Title, u"Title two");
    Saved(once, TextEdits({{u"TITLE", u"Title three is longer"}}), &way);
    EXPECT_EQ(way, GetParam().HeaderPackets == 2 ? SaveWay::InPlace : SaveWay::NewFile);
    Saved(once, TextEdits({{u"TITLE", std::u16string(3000, u't')}}), &way);
    EXPECT_EQ(way, SaveWay::NewFile);
}

INSTANTIATE_TEST_SUITE_P(Codecs, OggWriter, ::testing::Values(kVorbis, kOpus),
                         [](const ::testing::TestParamInfo<Codec>& info) {
                             return std::string(info.param.HeaderPackets == 3 ? "Vorbis" : "Opus");
                         });

// Layouts of several streams built from the two files: only the first audio stream's
// comment changes, every page of the others kept byte for byte in its order.
class OggStreams : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FormatFixturesNamed()) << "run through ctest";
        vorbis_ = PagesOf(FormatFixtureBytes(kVorbis.File));
        opus_ = PagesOf(FormatFixtureBytes(kOpus.File));
        ASSERT_FALSE(vorbis_.empty() || opus_.empty());
        for (Page& page : opus_) page = WithSerial(page, 0x0DD);
    }

    static std::vector<Page> OfSerial(const std::vector<Page>& pages, uint32_t serial, bool equal = true) {
        std::vector<Page> kept;
        std::copy_if(pages.begin(), pages.end(), std::back_inserter(kept),
                     [&](const Page& page) { return (page.Serial == serial) == equal; });
        return kept;
    }

    // Saves the file and holds the others' pages to what they were.
    void ExpectOnlyStreamEdited(const Bytes& file, uint32_t serial, int headerPackets) {
        const PlannedSave saved = SaveEdits(file, TextEdits({{u"TITLE", std::u16string(5000, u'm')}}));
        ASSERT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
        ExpectPagesWhole(saved.File);
        ExpectAudioKept(file, saved.File, serial, headerPackets);
        EXPECT_EQ(ReadMedia(saved.File).Title, std::u16string(5000, u'm'));
        EXPECT_EQ(Joined(OfSerial(PagesOf(saved.File), serial, false)), Joined(OfSerial(PagesOf(file), serial, false)));
    }

    std::vector<Page> vorbis_, opus_;
};

// The two streams' first pages first, then their pages taken in turn.
std::vector<Page> Interleaved(const std::vector<Page>& a, const std::vector<Page>& b) {
    std::vector<Page> pages{a[0], b[0]};
    for (size_t i = 1; i < std::max(a.size(), b.size()); ++i) {
        if (i < a.size()) pages.push_back(a[i]);
        if (i < b.size()) pages.push_back(b[i]);
    }
    return pages;
}

TEST_F(OggStreams, MultiplexedTheFirstAudioStreamIsEdited) {
    ExpectOnlyStreamEdited(Joined(Interleaved(vorbis_, opus_)), vorbis_[0].Serial, 3);
    ExpectOnlyStreamEdited(Joined(Interleaved(opus_, vorbis_)), opus_[0].Serial, 2);
    // A stream of another codec in front is passed over.
    Page other = vorbis_[0];
    other.Whole = OggPage(2, 0, {BytesOf("fishead") + Bytes(57, 0)});
    other = WithSerial(other, 0x5EE);
    std::vector<Page> withOther = Interleaved(opus_, vorbis_);
    withOther.insert(withOther.begin(), other);
    ExpectOnlyStreamEdited(Joined(withOther), opus_[0].Serial, 2);
}

TEST_F(OggStreams, ChainedTheFirstLinkIsEditedAndTheNextKeptWhole) {
    const Bytes opus = Joined(opus_);
    const Bytes chained = Joined(vorbis_) + opus;
    ExpectOnlyStreamEdited(chained, vorbis_[0].Serial, 3);
    const PlannedSave saved = SaveEdits(chained, TextEdits({{u"TITLE", std::u16string(5000, u'm')}}));
    EXPECT_TRUE(std::equal(opus.begin(), opus.end(), saved.File.end() - static_cast<std::ptrdiff_t>(opus.size())));
    // A next link of the same serial number starts its own numbering: it is not renumbered.
    const Bytes vorbis = Joined(vorbis_);
    const PlannedSave twice = SaveEdits(vorbis + vorbis, TextEdits({{u"TITLE", std::u16string(5000, u'm')}}));
    ASSERT_TRUE(twice.Verdict.Ok());
    EXPECT_NE(twice.File.size(), 2 * vorbis.size());
    EXPECT_TRUE(std::equal(vorbis.begin(), vorbis.end(), twice.File.end() - static_cast<std::ptrdiff_t>(vorbis.size())));
}

// Data after the Opus comment list whose first byte has its lowest bit set is kept as it is.
TEST_F(OggStreams, OpusDataAfterTheCommentsKept) {
    std::vector<Page> opus = opus_;
    opus[1].Whole = OggPage(0, 0, {BytesOf("OpusTags") + VorbisComments({"TITLE=x"}) + BytesOf("\x01kept data")});
    opus[1] = WithSerial(opus[1], opus_[1].Serial, opus_[1].Sequence);
    for (const std::u16string& title : {std::u16string(u"y"), std::u16string(3000, u'z')}) {
        const PlannedSave saved = SaveEdits(Joined(opus), TextEdits({{u"TITLE", title}}));
        ASSERT_TRUE(saved.Verdict.Ok()) << Utf8(saved.Verdict.Reason);
        EXPECT_EQ(ReadMedia(saved.File).Title, title);
        EXPECT_EQ(Occurrences(saved.File, Utf8(title) + "\x01kept data"), 1u);
    }
}

// Layouts the writer cannot keep whole: refused naming why, the file as it was.
TEST_F(OggStreams, DamagedOrUnwrittenLayoutsAreRefused) {
    const Bytes vorbis = Joined(vorbis_);
    std::vector<Page> badChecksum = vorbis_;
    badChecksum[1].Whole.back() ^= 1;
    std::vector<Page> audioOnHeaderPage = vorbis_;
    const size_t lastHeader = vorbis_.size() - AudioPages(vorbis_, vorbis_[0].Serial, 3).size() - 1;
    Page& merged = audioOnHeaderPage[lastHeader];
    const Page& audio = audioOnHeaderPage[lastHeader + 1];
    Bytes lacing = merged.Lacing() + Bytes{audio.Whole[27]};
    merged.Whole = Bytes(merged.Whole.begin(), merged.Whole.begin() + 26) + Bytes{static_cast<unsigned char>(lacing.size())} +
                   lacing + Bytes(merged.Whole.begin() + static_cast<std::ptrdiff_t>(merged.HeaderSize), merged.Whole.end()) +
                   Bytes(audio.Whole.begin() + static_cast<std::ptrdiff_t>(audio.HeaderSize),
                         audio.Whole.begin() + static_cast<std::ptrdiff_t>(audio.HeaderSize) + audio.Whole[27]);
    merged = Checksummed(merged);
    std::vector<Page> onlyOther = {WithSerial(vorbis_[0], 1)};
    onlyOther[0].Whole = OggPage(2, 0, {BytesOf("fishead") + Bytes(57, 0)});
    const struct {
        const char* Name;
        Bytes File;
        const char* Why;  // in the reason
    } cases[] = {
        {"a header page's checksum wrong", Joined(badChecksum), "checksum"},
        {"the headers cut short", Bytes(vorbis.begin(), vorbis.begin() + static_cast<std::ptrdiff_t>(
                                                                       vorbis_[0].Whole.size() + 600)),
         "cannot be walked"},
        {"an audio packet on a header page", Joined(audioOnHeaderPage), "audio packet"},
        {"junk after the headers", Joined(std::vector<Page>(vorbis_.begin(), vorbis_.begin() + lastHeader + 1)) +
                                       BytesOf("junk") + Joined(std::vector<Page>(vorbis_.begin() + lastHeader + 1,
                                                                                  vorbis_.end())),
         "after the headers"},
        {"no audio stream", Joined(onlyOther), "no Vorbis or Opus"},
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
