// The FLAC writer through a save carried out over bytes and the reader reading them back:
// every property, the pictures, when it writes in place, and the layouts it refuses; every
// save keeps the other blocks in their order, the audio and an ID3v2 tag in front.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "formats/flac/flac_writer.h"
#include "planned_save.h"

namespace {

const Bytes kAudio = [] {
    Bytes audio{0xFF, 0xF8};
    for (int i = 0; i < 3000; ++i) audio.push_back(static_cast<unsigned char>(i * 7 + 3));
    return audio;
}();
const Bytes kPng = BytesOf("\x89PNG\r\n\x1a\nfront");

Bytes Flac(const std::vector<Bytes>& blocks, const Bytes& before = {}) {
    Bytes file = before + BytesOf("fLaC");
    for (const Bytes& block : blocks) file = file + block;
    return file + kAudio;
}

struct Block {
    unsigned Type;
    Bytes Body;
};

// The blocks after "fLaC" at start up to the one marked last, and then the audio.
std::vector<Block> BlocksOf(const Bytes& file, size_t start, Bytes* audio = nullptr) {
    std::vector<Block> blocks;
    for (size_t at = start + 4, last = 0; !last; at += 4 + blocks.back().Body.size()) {
        if (at + 4 > file.size()) return ADD_FAILURE() << "the blocks run past the file", blocks;
        const size_t end = std::min(file.size(), at + 4 + (size_t{file[at + 1]} << 16 | file[at + 2] << 8 | file[at + 3]));
        last = file[at] & 0x80;
        blocks.push_back({file[at] & 0x7Fu, Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                                  file.begin() + static_cast<std::ptrdiff_t>(end))});
        if (last && audio != nullptr) audio->assign(file.begin() + static_cast<std::ptrdiff_t>(end), file.end());
    }
    return blocks;
}

std::vector<unsigned> TypesOf(const Bytes& file, unsigned only = 128) {
    std::vector<unsigned> types;
    for (const Block& block : BlocksOf(file, 0)) {
        if (only == 128 || block.Type == only) types.push_back(only == 6 ? block.Body[3] : block.Type);
    }
    return types;
}

// What stands before "fLaC", the blocks the writer never changes in their order, the audio.
std::vector<Bytes> KeptOf(const Bytes& file, size_t start) {
    std::vector<Bytes> kept{Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(start)), {}};
    for (const Block& block : BlocksOf(file, start, &kept[1])) {
        if (block.Type != 1 && block.Type != 4 && block.Type != 6) kept.push_back(BigEndian(block.Type, 1) + block.Body);
    }
    return kept;
}

size_t Occurrences(const Bytes& bytes, const std::string& text) {
    size_t count = 0;
    for (auto at = bytes.begin(); (at = std::search(at, bytes.end(), text.begin(), text.end())) != bytes.end(); ++at) ++count;
    return count;
}

// A save that must succeed, keeping what every save keeps.
PlannedSave Save(const Bytes& old, const TagEdits& edits, size_t start = 0) {
    const PlannedSave saved = SaveEdits(old, edits);
    EXPECT_TRUE(saved.Verdict.Ok());
    EXPECT_EQ(KeptOf(saved.File, start), KeptOf(old, start));
    return saved;
}

// STREAMINFO, SEEKTABLE, APPLICATION, comments, a front and a back cover, an unknown block, padding.
Bytes Standard() {
    return Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(3, Bytes(18, 0x5A)),
                 FlacBlock(2, BytesOf("tvik") + Bytes{1, 2, 3}),
                 FlacBlock(4, VorbisComments({"title=Old", "DESCRIPTION=Said", "x-Keep=kept"})),
                 FlacBlock(6, FlacPicture(3, BytesOf("\x89PNG\r\n\x1a\nold"))), FlacBlock(6, FlacPicture(4, kPng)),
                 FlacBlock(50, Bytes{9, 9, 9}), FlacBlock(1, Bytes(1000, 0), true)});
}

std::u16string Number(long value) { return value != 0 ? DecimalText(value) : u""; }

const struct {
    const char16_t* Key;
    std::u16string Value;
    std::function<std::u16string(const MediaTags&)> Read;
} kProperties[] = {
    {u"TITLE", u"Caf\u00E9 \u00F1", [](const MediaTags& t) { return t.Title; }},
    {u"ARTIST", u"\u6771\u4EAC; \u591C", [](const MediaTags& t) { return t.Artist; }},  // two fields
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

TEST(FlacWriter, EveryPropertySetAndRemovedReadsBack) {
    std::map<std::u16string, std::u16string> set, removed;
    for (const auto& property : kProperties) {
        set[property.Key] = property.Value;
        removed[property.Key] = u"";
    }
    const Bytes saved = Save(Standard(), TextEdits(set)).File;
    const MediaTags tags = ReadMedia(saved);
    for (const auto& property : kProperties) EXPECT_EQ(property.Read(tags), property.Value) << &property - kProperties;
    EXPECT_EQ(TextOf(tags, u"X-KEEP"), u"kept");
    EXPECT_EQ(tags.FindText(u"DESCRIPTION"), nullptr) << "COMMENT takes its other name's place";
    EXPECT_EQ(Occurrences(saved, std::string("\0ARTIST=", 8)), 2u);
    EXPECT_EQ(Occurrences(saved, "title="), 0u) << "a name of another case is the same field";
    EXPECT_EQ(Occurrences(saved, "vendor"), 1u);
    const MediaTags empty = ReadMedia(Save(saved, TextEdits(removed)).File);
    for (const auto& property : kProperties) EXPECT_EQ(property.Read(empty), u"") << &property - kProperties;
    EXPECT_EQ(empty.Texts.size(), 1u);
}

TEST(FlacWriter, PicturesSetReplaceTheFrontCoverAndRemovedGo) {
    TagEdits cover, removed;
    cover.Cover = {BytesOf("\x89PNG\r\n\x1a\nnew"), "image/png"};
    removed.RemovePictures = true;
    TagEdits both = cover;
    both.RemovePictures = true;
    const struct {
        TagEdits Edits;
        std::vector<unsigned> PictureTypes;
    } cases[] = {{cover, {3, 4}}, {removed, {}}, {both, {3}}};
    for (const auto& test : cases) {
        const Bytes saved = Save(Standard(), test.Edits).File;
        EXPECT_EQ(TypesOf(saved, 6), test.PictureTypes);
        EXPECT_EQ(Occurrences(saved, "front"), test.Edits.RemovePictures ? 0u : 1u) << "the back cover kept";
        const MediaTags tags = ReadMedia(saved);
        Bytes image;
        EXPECT_EQ(CopyPictureBytes(saved, tags, image), !test.PictureTypes.empty());
        EXPECT_EQ(image, test.PictureTypes.empty() ? Bytes() : cover.Cover.Bytes);
        EXPECT_EQ(tags.Title, u"Old");
    }
}

TEST(FlacWriter, InPlaceWhereThePaddingTakesTheGrowthToItsLastByte) {
    const long kNone = -1;
    const struct {
        long Growth;
        SaveWay Way;
        long Padding;  // the padding block's size after the save
    } cases[] = {
        {0, SaveWay::InPlace, 100}, {-12, SaveWay::InPlace, 112}, {100, SaveWay::InPlace, 0},
        {104, SaveWay::InPlace, kNone},  // the padding's header and last byte taken
        {101, SaveWay::NewFile, kFreshFlacPadding}, {105, SaveWay::NewFile, kFreshFlacPadding},
    };
    const Bytes old = Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(4, VorbisComments({"TITLE=ab"})),
                            FlacBlock(1, Bytes(100, 0), true)});
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Growth);
        const std::u16string title = test.Growth < 0 ? u"" : u"cd" + std::u16string(size_t(test.Growth), u'x');
        const PlannedSave saved = Save(old, TextEdits({{u"TITLE", title}}));
        EXPECT_EQ(saved.Way, test.Way);
        const std::vector<Block> blocks = BlocksOf(saved.File, 0);
        EXPECT_EQ(blocks.back().Type == 1 ? static_cast<long>(blocks.back().Body.size()) : kNone, test.Padding);
        EXPECT_EQ(ReadMedia(saved.File).Title, title);
    }
}

TEST(FlacWriter, AFileWrittenAnewTakesTheNextTextEditInPlace) {
    // As some taggers leave it: the picture after the comments, the padding after both.
    const Bytes old = Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(4, VorbisComments({"TITLE=ab"})),
                            FlacBlock(6, FlacPicture(3, kPng)), FlacBlock(2, BytesOf("tvik")),
                            FlacBlock(1, Bytes(500, 0), true)});
    const PlannedSave first = Save(old, TextEdits({{u"TITLE", u"longer title"}}));
    EXPECT_EQ(first.Way, SaveWay::NewFile);
    EXPECT_EQ(TypesOf(first.File), (std::vector<unsigned>{0, 2, 6, 4, 1}));
    const PlannedSave second = Save(first.File, TextEdits({{u"TITLE", u"a longer title still"}, {u"GENRE", u"Jazz"}}));
    EXPECT_EQ(second.Way, SaveWay::InPlace);
    EXPECT_EQ(ReadMedia(second.File).Genre, u"Jazz");
}

TEST(FlacWriter, TheSameEditsGiveTheSameFileAndNoEditsWriteNothing) {
    TagEdits edits = TextEdits({{u"TITLE", u"New"}, {u"ARTIST", u"A; B"}});
    for (int withCover = 0; withCover < 2; ++withCover, edits.Cover = {kPng, "image/png"}) {
        const PlannedSave first = Save(Standard(), edits);
        EXPECT_EQ(SaveEdits(Standard(), edits).File, first.File);
        const PlannedSave again = Save(first.File, edits);
        EXPECT_EQ(again.Way, SaveWay::Nothing);
        EXPECT_EQ(again.File, first.File);
    }
    EXPECT_EQ(SaveEdits(Standard(), TagEdits()).Way, SaveWay::Nothing);
    EXPECT_EQ(SaveEdits(Standard(), TextEdits({{u"NOSUCHFIELD", u""}})).Way, SaveWay::Nothing);
}

TEST(FlacWriter, AnId3v2TagInFrontAndAFileWithoutComments) {
    const Bytes id3 = Tag(3, TextFrame(3, "TIT2", "id3") + Bytes(20, 0));
    const Bytes old = Flac({FlacBlock(0, FlacStreamInfo(44100)), FlacBlock(1, Bytes(50, 0), true)}, id3);
    const Bytes saved = Save(old, TextEdits({{u"TITLE", u"New"}}), id3.size()).File;
    EXPECT_EQ(ReadMedia(saved).Title, u"New");
    EXPECT_EQ(Occurrences(saved, "tarvik"), 1u) << "a new comment block names its vendor";
    EXPECT_EQ(SaveEdits(old, TextEdits({{u"TITLE", u""}})).Way, SaveWay::Nothing) << "no block for no field";
}

TEST(FlacWriter, LayoutsItCannotKeepWholeAreRefusedUntouched) {
    const Bytes info = FlacBlock(0, FlacStreamInfo(44100));
    const Bytes comments = FlacBlock(4, VorbisComments({"TITLE=a"}));
    // The list's count, its field's length and the vendor's length made larger than the list.
    auto list = [&](size_t at, unsigned char value) {
        Bytes bytes = VorbisComments({"TITLE=a"});
        bytes[at] = value;
        return Flac({info, FlacBlock(4, bytes, true)});
    };
    const TagEdits title = TextEdits({{u"TITLE", u"New"}});
    TagEdits hugeCover;
    hugeCover.Cover = {kPng + Bytes(kLargestPicture - kPng.size(), 0), "image/png"};
    const struct {
        Bytes File;
        TagEdits Edits;
        SaveRefusal Refusal;
    } cases[] = {
        {BytesOf("fLaC") + info + Bytes{0x84, 0, 0x10, 0} + BytesOf("TITLE"), title, SaveRefusal::Damaged},
        {BytesOf("fLaC") + info + comments + Bytes{0x82, 0, 0x10, 0} + BytesOf("tvik"), title, SaveRefusal::Damaged},
        {BytesOf("fLaC") + info, title, SaveRefusal::Damaged},
        {BytesOf("fLaC") + info + Bytes{0x81, 0}, title, SaveRefusal::Damaged},
        {Flac({comments, FlacBlock(0, FlacStreamInfo(44100), true)}), title, SaveRefusal::Damaged},
        {Flac({info, FlacBlock(127, {1}, true)}), title, SaveRefusal::Damaged},
        {Flac({info, comments, FlacBlock(4, VorbisComments({}), true)}), title, SaveRefusal::Unsupported},
        {list(10, 2), title, SaveRefusal::Damaged},
        {list(14, 9), title, SaveRefusal::Damaged},
        {list(0, 18), title, SaveRefusal::Damaged},
        {Standard(), TextEdits({{u"A=B", u"x"}}), SaveRefusal::Unsupported},
        {Standard(), hugeCover, SaveRefusal::TooLarge},
        {Standard(), TextEdits({{u"TITLE", std::u16string(1 << 24, u'x')}}), SaveRefusal::TooLarge},
    };
    for (const auto& test : cases) {
        const PlannedSave saved = SaveEdits(test.File, test.Edits);
        EXPECT_EQ(saved.Verdict.Refusal, test.Refusal) << &test - cases;
        EXPECT_FALSE(saved.Verdict.Reason.empty());
        EXPECT_EQ(saved.File, test.File);
    }
}

}  // namespace
