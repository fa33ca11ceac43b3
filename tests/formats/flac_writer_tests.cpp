// The FLAC writer through a save carried out over bytes and the reader reading them back:
// every property, the pictures, the blocks it keeps byte for byte, when it writes in place,
// and the layouts it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "formats/flac/flac_writer.h"
#include "planned_save.h"

namespace {

struct Block {
    unsigned Type = 0;
    bool Last = false;
    Bytes Body;
};

const Bytes kAudio = [] {
    Bytes audio{0xFF, 0xF8};
    for (int i = 0; i < 3000; ++i) audio.push_back(static_cast<unsigned char>(i * 7 + 3));
    return audio;
}();
const Bytes kPng = BytesOf("\x89PNG\r\n\x1a\nfront");
const Bytes kOtherPng = BytesOf("\x89PNG\r\n\x1a\nback");

Bytes Flac(const std::vector<Bytes>& blocks, const Bytes& before = {}) {
    Bytes file = before + BytesOf("fLaC");
    for (const Bytes& block : blocks) file = file + block;
    return file + kAudio;
}

// The metadata blocks after "fLaC" at start, checking the last-block flag; *audio is where
// they end.
std::vector<Block> BlocksOf(const Bytes& file, size_t start = 0, size_t* audio = nullptr) {
    std::vector<Block> blocks;
    size_t at = start + 4;
    while (blocks.empty() || !blocks.back().Last) {
        if (at + 4 > file.size()) {
            ADD_FAILURE() << "the blocks run past the file";
            break;
        }
        const size_t size = size_t{file[at + 1]} << 16 | size_t{file[at + 2]} << 8 | file[at + 3];
        blocks.push_back({file[at] & 0x7Fu, (file[at] & 0x80) != 0,
                          Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                file.begin() + static_cast<std::ptrdiff_t>(std::min(at + 4 + size, file.size())))});
        at += 4 + size;
    }
    if (audio != nullptr) *audio = at;
    return blocks;
}

std::vector<unsigned> TypesOf(const std::vector<Block>& blocks) {
    std::vector<unsigned> types;
    for (const Block& block : blocks) types.push_back(block.Type);
    return types;
}

// The blocks the writer never changes, in their order, and the audio after them.
std::vector<Bytes> KeptOf(const Bytes& file, size_t start = 0) {
    size_t audio = 0;
    std::vector<Bytes> kept;
    for (const Block& block : BlocksOf(file, start, &audio)) {
        if (block.Type != 1 && block.Type != 4 && block.Type != 6) kept.push_back(BigEndian(block.Type, 1) + block.Body);
    }
    kept.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(audio), file.end());
    return kept;
}

Bytes CommentBlockOf(const Bytes& file) {
    for (const Block& block : BlocksOf(file)) {
        if (block.Type == 4) return block.Body;
    }
    return {};
}

size_t Occurrences(const Bytes& bytes, const std::string& text) {
    size_t count = 0;
    for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), text.begin(), text.end())) != bytes.end(); ++at) ++count;
    return count;
}

// STREAMINFO, SEEKTABLE, APPLICATION, comments, a front and a back cover, an unknown block, padding.
Bytes Standard() {
    return Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(3, Bytes(18, 0x5A)),
                 FlacBlock(2, BytesOf("tvik") + Bytes{1, 2, 3}),
                 FlacBlock(4, VorbisComments({"TITLE=Old", "DESCRIPTION=Said", "x-Keep=kept"})),
                 FlacBlock(6, FlacPicture(3, BytesOf("\x89PNG\r\n\x1a\nold"))), FlacBlock(6, FlacPicture(4, kOtherPng)),
                 FlacBlock(50, Bytes{9, 9, 9}), FlacBlock(1, Bytes(1000, 0), true)});
}

struct Property {
    const char16_t* Key;
    std::u16string Value;
    std::function<std::u16string(const MediaTags&)> Read;
};

std::u16string Number(long value) { return value != 0 ? DecimalText(value) : u""; }

const Property kProperties[] = {
    {u"TITLE", u"Caf\u00E9 \u00F1", [](const MediaTags& t) { return t.Title; }},
    {u"ARTIST", u"\u6771\u4EAC\u306E\u591C", [](const MediaTags& t) { return t.Artist; }},
    {u"ALBUM", u"\U0001D11E Suite", [](const MediaTags& t) { return t.Album; }},
    {u"ALBUMARTIST", u"Ensemble", [](const MediaTags& t) { return t.AlbumArtist; }},
    {u"COMPOSER", u"Bach", [](const MediaTags& t) { return t.Composer; }},
    {u"COMMENT", u"Noted", [](const MediaTags& t) { return t.Comment; }},
    {u"GENRE", u"Jazz", [](const MediaTags& t) { return t.Genre; }},
    {u"DATE", u"1999", [](const MediaTags& t) { return Number(t.Year); }},
    {u"TRACKNUMBER", u"3", [](const MediaTags& t) { return Number(t.Track); }},
    {u"TRACKTOTAL", u"12", [](const MediaTags& t) { return Number(t.TrackCount); }},
    {u"DISCNUMBER", u"2", [](const MediaTags& t) { return Number(t.Disc); }},
    {u"DISCTOTAL", u"4", [](const MediaTags& t) { return Number(t.DiscCount); }},
    {u"LYRICS", u"la\nla", [](const MediaTags& t) { return t.Lyrics; }},
};

TEST(FlacWriter, EveryPropertySetAndRemovedReadsBackAndTheRestIsKept) {
    const Bytes old = Standard();
    std::map<std::u16string, std::u16string> set, removed;
    for (const Property& property : kProperties) {
        set[property.Key] = property.Value;
        removed[property.Key] = u"";
    }
    const PlannedSave saved = SaveEdits(old, TextEdits(set));
    ASSERT_TRUE(saved.Verdict.Ok());
    const MediaTags tags = ReadMedia(saved.File);
    for (const Property& property : kProperties) EXPECT_EQ(property.Read(tags), property.Value) << &property - kProperties;
    EXPECT_EQ(TextOf(tags, u"X-KEEP"), u"kept");
    EXPECT_EQ(tags.FindText(u"DESCRIPTION"), nullptr) << "COMMENT takes DESCRIPTION's place";
    EXPECT_EQ(Occurrences(CommentBlockOf(saved.File), "vendor"), 1u);
    EXPECT_EQ(KeptOf(saved.File), KeptOf(old));

    const PlannedSave cleared = SaveEdits(saved.File, TextEdits(removed));
    ASSERT_TRUE(cleared.Verdict.Ok());
    const MediaTags empty = ReadMedia(cleared.File);
    for (const Property& property : kProperties) EXPECT_EQ(property.Read(empty), u"") << &property - kProperties;
    EXPECT_EQ(empty.Texts.size(), 1u);
    EXPECT_EQ(KeptOf(cleared.File), KeptOf(old));
    EXPECT_EQ(empty.Duration, ReadMedia(old).Duration);
}

TEST(FlacWriter, SeveralValuesBecomeSeveralFieldsOfAnyCaseName) {
    const PlannedSave saved = SaveEdits(Standard(), TextEdits({{u"Artist", u"A; B; C"}, {u"title", u"New"}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    const Bytes comments = CommentBlockOf(saved.File);
    EXPECT_EQ(Occurrences(comments, "Artist="), 3u);
    EXPECT_EQ(Occurrences(comments, "TITLE="), 0u) << "the old field of another case is gone";
    const MediaTags tags = ReadMedia(saved.File);
    EXPECT_EQ(tags.Artist, u"A; B; C");
    EXPECT_EQ(tags.Title, u"New");
}

TEST(FlacWriter, PicturesSetReplaceTheFrontCoverAndRemovedGo) {
    TagEdits cover;
    cover.Cover = {kPng, "image/png"};
    TagEdits removed;
    removed.RemovePictures = true;
    TagEdits both = cover;
    both.RemovePictures = true;
    const struct {
        const char* Name;
        TagEdits Edits;
        std::vector<unsigned> PictureTypes;
    } cases[] = {{"cover", cover, {3, 4}}, {"removed", removed, {}}, {"removed, then a cover", both, {3}}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Name);
        const PlannedSave saved = SaveEdits(Standard(), test.Edits);
        ASSERT_TRUE(saved.Verdict.Ok());
        std::vector<unsigned> pictures;
        for (const Block& block : BlocksOf(saved.File)) {
            if (block.Type == 6) pictures.push_back(block.Body[3]);
            if (block.Type == 6 && block.Body[3] == 4) {
                EXPECT_EQ(block.Body, FlacPicture(4, kOtherPng));
            }
        }
        EXPECT_EQ(pictures, test.PictureTypes);
        EXPECT_EQ(KeptOf(saved.File), KeptOf(Standard()));
        const MediaTags tags = ReadMedia(saved.File);
        EXPECT_EQ(tags.Title, u"Old");
        Bytes image;
        EXPECT_EQ(tags.HasPicture(), !pictures.empty());
        if (!test.Edits.Cover.Bytes.empty()) {
            EXPECT_TRUE(CopyPictureBytes(saved.File, tags, image));
            EXPECT_EQ(image, kPng);
        }
    }
}

// STREAMINFO, the comments with TITLE=ab, and padding bytes of padding.
Bytes Small(size_t padding) {
    return Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(4, VorbisComments({"TITLE=ab"})),
                 FlacBlock(1, Bytes(padding, 0), true)});
}

TEST(FlacWriter, InPlaceWhereThePaddingTakesTheGrowthToItsLastByte) {
    const long kNoPadding = -1;
    const struct {
        long Growth;
        SaveWay Way;
        long Padding;  // the padding block's size after the save
    } cases[] = {
        {0, SaveWay::InPlace, 100},   {-10, SaveWay::InPlace, 112}, {100, SaveWay::InPlace, 0},
        {104, SaveWay::InPlace, kNoPadding},  // the padding's header and last byte taken
        {101, SaveWay::NewFile, kFreshFlacPadding}, {105, SaveWay::NewFile, kFreshFlacPadding},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Growth);
        const Bytes old = Small(100);
        const std::u16string title =
            test.Growth < 0 ? u"" : u"cd" + std::u16string(static_cast<size_t>(test.Growth), u'x');
        const PlannedSave saved = SaveEdits(old, TextEdits({{u"TITLE", title}}));
        ASSERT_TRUE(saved.Verdict.Ok());
        EXPECT_EQ(saved.Way, test.Way);
        const std::vector<Block> blocks = BlocksOf(saved.File);
        const long padding = blocks.back().Type == 1 ? static_cast<long>(blocks.back().Body.size()) : kNoPadding;
        EXPECT_EQ(padding, test.Padding);
        if (test.Way == SaveWay::InPlace) {
            EXPECT_EQ(saved.File.size(), old.size());
        }
        EXPECT_EQ(ReadMedia(saved.File).Title, title);
        EXPECT_EQ(KeptOf(saved.File), KeptOf(old));
    }
}

TEST(FlacWriter, AFileWrittenAnewTakesTheNextTextEditInPlace) {
    // As some taggers leave it: the picture after the comments, the padding after both.
    const Bytes old = Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(4, VorbisComments({"TITLE=ab"})),
                            FlacBlock(6, FlacPicture(3, kPng)), FlacBlock(2, BytesOf("tvik")),
                            FlacBlock(1, Bytes(500, 0), true)});
    const PlannedSave first = SaveEdits(old, TextEdits({{u"TITLE", u"longer title"}}));
    ASSERT_TRUE(first.Verdict.Ok());
    EXPECT_EQ(first.Way, SaveWay::NewFile);
    EXPECT_EQ(TypesOf(BlocksOf(first.File)), (std::vector<unsigned>{0, 2, 6, 4, 1}));
    EXPECT_EQ(KeptOf(first.File), KeptOf(old));
    const PlannedSave second = SaveEdits(first.File, TextEdits({{u"TITLE", u"a longer title still"}, {u"GENRE", u"Jazz"}}));
    EXPECT_EQ(second.Way, SaveWay::InPlace);
    EXPECT_EQ(ReadMedia(second.File).Genre, u"Jazz");
}

TEST(FlacWriter, TheSameEditsGiveTheSameFileAndNoEditsWriteNothing) {
    const TagEdits edits = TextEdits({{u"TITLE", u"New"}, {u"ARTIST", u"A; B"}});
    TagEdits withCover = edits;
    withCover.Cover = {kPng, "image/png"};
    for (const TagEdits& test : {edits, withCover}) {
        const PlannedSave first = SaveEdits(Standard(), test);
        EXPECT_EQ(SaveEdits(Standard(), test).File, first.File);
        const PlannedSave again = SaveEdits(first.File, test);
        EXPECT_EQ(again.Way, SaveWay::Nothing);
        EXPECT_EQ(again.File, first.File);
    }
    EXPECT_EQ(SaveEdits(Standard(), TagEdits()).Way, SaveWay::Nothing);
    EXPECT_EQ(SaveEdits(Standard(), TextEdits({{u"NOSUCHFIELD", u""}})).Way, SaveWay::Nothing);
}

TEST(FlacWriter, AnId3v2TagInFrontAndAFileWithoutCommentsAreKept) {
    const Bytes id3 = Tag(3, TextFrame(3, "TIT2", "id3") + Bytes(20, 0));
    const Bytes old = Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(1, Bytes(50, 0), true)}, id3);
    const PlannedSave saved = SaveEdits(old, TextEdits({{u"TITLE", u"New"}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    EXPECT_TRUE(std::equal(id3.begin(), id3.end(), saved.File.begin()));
    EXPECT_EQ(KeptOf(saved.File, id3.size()), KeptOf(old, id3.size()));
    EXPECT_EQ(ReadMedia(saved.File).Title, u"New");
    EXPECT_EQ(Occurrences(saved.File, "tarvik"), 1u) << "a new comment block names its vendor";
    // Removing what is not there makes no comment block.
    EXPECT_EQ(SaveEdits(old, TextEdits({{u"TITLE", u""}})).Way, SaveWay::Nothing);
}

TEST(FlacWriter, LayoutsItCannotKeepWholeAreRefusedUntouched) {
    const Bytes info = FlacBlock(0, FlacStreamInfo(44100));
    const Bytes comments = FlacBlock(4, VorbisComments({"TITLE=a"}));
    Bytes countPastEnd = VorbisComments({"TITLE=a"});
    countPastEnd[10] = 2;
    Bytes fieldPastEnd = VorbisComments({"TITLE=a"});
    fieldPastEnd[14] = 9;
    Bytes vendorPastEnd = VorbisComments({});
    vendorPastEnd[0] = 11;
    const TagEdits title = TextEdits({{u"TITLE", u"New"}});
    TagEdits hugeCover;
    hugeCover.Cover = {kPng + Bytes(kLargestPicture - kPng.size(), 0), "image/png"};
    const struct {
        const char* Name;
        Bytes File;
        TagEdits Edits;
        SaveRefusal Refusal;
    } cases[] = {
        {"a block past the end", BytesOf("fLaC") + info + Bytes{0x84, 0, 0x10, 0} + BytesOf("TITLE"), title, SaveRefusal::Damaged},
        {"a kept block past the end", BytesOf("fLaC") + info + comments + Bytes{0x82, 0, 0x10, 0} + BytesOf("tvik"), title,
         SaveRefusal::Damaged},
        {"no last block", BytesOf("fLaC") + info, title, SaveRefusal::Damaged},
        {"a header cut short", BytesOf("fLaC") + info + Bytes{0x81, 0}, title, SaveRefusal::Damaged},
        {"comments first", Flac({comments, FlacBlock(0, FlacStreamInfo(44100), true)}), title, SaveRefusal::Damaged},
        {"an invalid block type", Flac({info, FlacBlock(127, {1}, true)}), title, SaveRefusal::Damaged},
        {"two comment blocks", Flac({info, comments, FlacBlock(4, VorbisComments({}), true)}), title,
         SaveRefusal::Unsupported},
        {"a field count past the block", Flac({info, FlacBlock(4, countPastEnd, true)}), title, SaveRefusal::Damaged},
        {"a field past the block", Flac({info, FlacBlock(4, fieldPastEnd, true)}), title, SaveRefusal::Damaged},
        {"a vendor past the block", Flac({info, FlacBlock(4, vendorPastEnd, true)}), title, SaveRefusal::Damaged},
        {"a name with '='", Standard(), TextEdits({{u"A=B", u"x"}}), SaveRefusal::Unsupported},
        {"a picture over a block", Standard(), hugeCover, SaveRefusal::TooLarge},
        {"comments over a block", Standard(), TextEdits({{u"TITLE", std::u16string(1 << 24, u'x')}}),
         SaveRefusal::TooLarge},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Name);
        const PlannedSave saved = SaveEdits(test.File, test.Edits);
        EXPECT_EQ(saved.Verdict.Refusal, test.Refusal);
        EXPECT_FALSE(saved.Verdict.Reason.empty());
        EXPECT_EQ(saved.File, test.File);
    }
}

TEST(FlacWriter, ADamagedFileIsRefusedUntouchedOrSavedWithEveryOtherValueKept) {
    const Bytes valid = Standard();
    // Up to the padding's header: its zeros mean nothing.
    const size_t metadata = valid.size() - kAudio.size() - 1000;
    std::mt19937 random(20261209);
    int saved = 0;
    for (int i = 0; i < 400; ++i) {
        Bytes damaged = valid;
        for (size_t count = 1 + random() % 3; count-- > 0;) {
            damaged[4 + random() % (metadata - 4)] = static_cast<unsigned char>(random() % 4 == 0 ? random() : 0x80);
        }
        const PlannedSave save = SaveEdits(damaged, TextEdits({{u"TITLE", u"Mended"}}));
        if (!save.Verdict.Ok()) {
            EXPECT_EQ(save.File, damaged) << i;
            continue;
        }
        ++saved;
        MediaTags before = ReadMedia(damaged), after = ReadMedia(save.File);
        EXPECT_EQ(after.Title, u"Mended") << i;
        before.Texts.erase(u"TITLE");
        after.Texts.erase(u"TITLE");
        EXPECT_EQ(after.Texts, before.Texts) << i;
        EXPECT_EQ(after.Duration, before.Duration) << i;
        EXPECT_EQ(after.Picture.Type, before.Picture.Type) << i;
        EXPECT_TRUE(std::equal(kAudio.begin(), kAudio.end(), save.File.end() - static_cast<std::ptrdiff_t>(kAudio.size())));
    }
    EXPECT_GT(saved, 150) << "damage within values and kept blocks is saved";
}

}  // namespace
