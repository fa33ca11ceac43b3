// The MP4 writer through SaveEdits: what it writes read back by the reader, the boxes it
// keeps found byte for byte, the chunk offsets followed to the samples they point at, and
// the layouts that go in place or through a new file.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "formats/save_plan.h"
#include "planned_save.h"

namespace {

const auto box = Mp4Box;

Bytes BigEndian64(uint64_t value) {
    return BigEndian(static_cast<uint32_t>(value >> 32), 4) + BigEndian(static_cast<uint32_t>(value), 4);
}
Bytes Box64(const std::string& type, const Bytes& body) {
    return BigEndian(1, 4) + BytesOf(type) + BigEndian64(body.size() + 16) + body;
}
Bytes Item(const std::string& name, uint32_t type, const Bytes& value) {
    return box(name, box("data", BigEndian(type, 4) + Bytes(4, 0) + value));
}
Bytes Text(const std::string& name, const std::string& text) { return Item(name, 1, BytesOf(text)); }
Bytes Free(size_t size) { return box("free", Bytes(size - 8, 0)); }

constexpr size_t kChunks = 4, kChunkSize = 100;

Bytes Samples() {
    Bytes samples;
    for (size_t i = 0; i < kChunks * kChunkSize; ++i) samples.push_back(static_cast<unsigned char>(i * 7 + 3));
    return samples;
}

// A movie of one AAC track whose four chunks lie in mdat, and its items.
struct Layout {
    Bytes Items = Text("\xA9nam", "T") + Item("gnre", 0, {0, 18}) + Text("xtra", "kept");
    Bytes BeforeItems, AfterItems;  // in meta
    Bytes InMovie;                  // after the track
    Bytes AfterMovie;
    bool MovieFirst = true, Wide = false, Large = false;
    uint64_t FarOffset = 0;  // a further chunk offset where not 0
};

Bytes MovieBox(const Layout& layout, uint64_t mediaAt) {
    Bytes offsets;
    uint32_t count = kChunks;
    for (size_t i = 0; i < kChunks; ++i) {
        offsets = offsets + (layout.Wide ? BigEndian64(mediaAt + i * kChunkSize) : BigEndian(mediaAt + i * kChunkSize, 4));
    }
    if (layout.FarOffset != 0) {
        offsets = offsets + (layout.Wide ? BigEndian64(layout.FarOffset) : BigEndian(static_cast<uint32_t>(layout.FarOffset), 4));
        ++count;
    }
    const Bytes entry = Bytes(6, 0) + BigEndian(1, 2) + Bytes(8, 0) + BigEndian(2, 2) + BigEndian(16, 2) + Bytes(4, 0) +
                        BigEndian(44100u << 16, 4);
    const Bytes stbl = box("stbl", box("stsd", BigEndian(0, 4) + BigEndian(1, 4) + box("mp4a", entry)) +
                                       box("stsz", BigEndian(0, 4) + BigEndian(kChunkSize, 4) + BigEndian(kChunks, 4)) +
                                       box(layout.Wide ? "co64" : "stco", BigEndian(0, 4) + BigEndian(count, 4) + offsets));
    const Bytes mdhd = box("mdhd", Bytes(12, 0) + BigEndian(44100, 4) + BigEndian(88200, 4) + Bytes(4, 0));
    const Bytes trak = box("trak", box("mdia", mdhd + box("hdlr", Bytes(8, 0) + BytesOf("soun") + Bytes(13, 0)) +
                                                   box("minf", stbl)));
    const Bytes meta = box("meta", Bytes(4, 0) + box("hdlr", Bytes(8, 0) + BytesOf("mdirappl") + Bytes(9, 0)) +
                                       layout.BeforeItems + box("ilst", layout.Items) + layout.AfterItems);
    const auto parent = layout.Large ? Box64 : box;
    return parent("moov", box("mvhd", Bytes(12, 0) + BigEndian(1000, 4) + BigEndian(2000, 4) + Bytes(80, 0)) + trak +
                              layout.InMovie + parent("udta", meta));
}

Bytes FileOf(const Layout& layout) {
    const Bytes ftyp = box("ftyp", BytesOf("M4A ") + Bytes(4, 0)), mdat = box("mdat", Samples());
    if (!layout.MovieFirst) return ftyp + mdat + MovieBox(layout, ftyp.size() + 8) + layout.AfterMovie;
    const size_t movie = MovieBox(layout, 0).size();
    return ftyp + MovieBox(layout, ftyp.size() + movie + layout.AfterMovie.size() + 8) + layout.AfterMovie + mdat;
}

// The boxes within [start, end); false where they do not fill it exactly.
struct Found {
    std::string Type;
    size_t Start = 0, Body = 0, End = 0;
};
bool ChildrenOf(const Bytes& file, size_t start, size_t end, std::vector<Found>& boxes) {
    boxes.clear();
    for (size_t at = start; at < end;) {
        if (end - at < 8) return false;
        uint64_t size = static_cast<uint64_t>(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        size_t header = 8;
        if (size == 1) {
            size = 0;
            for (int i = 8; i < 16; ++i) size = size << 8 | file[at + i];
            header = 16;
        }
        if (size < header || size > end - at) return false;
        boxes.push_back({std::string(file.begin() + at + 4, file.begin() + at + 8), at, at + header, at + size});
        at += size;
    }
    return true;
}

// Every box down to the items fills its parent exactly: the sizes of every parent are right.
bool WellFormed(const Bytes& file, size_t start, size_t end) {
    std::vector<Found> boxes;
    if (!ChildrenOf(file, start, end, boxes)) return false;
    const std::string containers = "moov trak mdia minf stbl udta meta ilst";
    for (const Found& found : boxes) {
        const size_t body = found.Body + (found.Type == "meta" ? 4 : 0);
        if (containers.find(found.Type) != std::string::npos && !WellFormed(file, body, found.End)) return false;
    }
    return true;
}

// The box at path ("moov/udta/meta"); Type empty where there is none.
Found BoxAt(const Bytes& file, const std::vector<std::string>& path) {
    Found here{"", 0, 0, file.size()};
    for (const std::string& type : path) {
        std::vector<Found> boxes;
        ChildrenOf(file, here.Body + (here.Type == "meta" ? 4 : 0), here.End, boxes);
        const auto found = std::find_if(boxes.begin(), boxes.end(), [&](const Found& b) { return b.Type == type; });
        if (found == boxes.end()) return {};
        here = *found;
    }
    return here;
}

std::vector<std::string> TypesIn(const Bytes& file, const std::vector<std::string>& path) {
    const Found parent = BoxAt(file, path);
    std::vector<Found> boxes;
    ChildrenOf(file, parent.Body + (parent.Type == "meta" ? 4 : 0), parent.End, boxes);
    std::vector<std::string> types;
    for (const Found& found : boxes) types.push_back(found.Type);
    return types;
}

// The chunk offsets of the track, and the table's type.
std::vector<uint64_t> ChunkOffsets(const Bytes& file, std::string* type) {
    Found table = BoxAt(file, {"moov", "trak", "mdia", "minf", "stbl", "stco"});
    if (table.Type.empty()) table = BoxAt(file, {"moov", "trak", "mdia", "minf", "stbl", "co64"});
    *type = table.Type;
    const size_t width = table.Type == "co64" ? 8 : 4;
    std::vector<uint64_t> offsets;
    for (size_t at = table.Body + 8; at + width <= table.End; at += width) {
        uint64_t offset = 0;
        for (size_t i = 0; i < width; ++i) offset = offset << 8 | file[at + i];
        offsets.push_back(offset);
    }
    return offsets;
}

// The bytes the chunk offsets point at (those within the file).
Bytes ChunkBytes(const Bytes& file) {
    std::string type;
    Bytes chunks;
    for (uint64_t offset : ChunkOffsets(file, &type)) {
        if (offset + kChunkSize <= file.size()) chunks.insert(chunks.end(), file.begin() + offset, file.begin() + offset + kChunkSize);
    }
    return chunks;
}

bool Holds(const Bytes& file, const Bytes& part) {
    return std::search(file.begin(), file.end(), part.begin(), part.end()) != file.end();
}

// A saved file that the reader reads, whose boxes fill their parents and whose chunks are the samples.
void ExpectSound(const PlannedSave& saved) {
    ASSERT_TRUE(saved.Verdict.Ok()) << std::string(saved.Verdict.Reason.begin(), saved.Verdict.Reason.end());
    EXPECT_TRUE(WellFormed(saved.File, 0, saved.File.size()));
    EXPECT_EQ(ChunkBytes(saved.File), Samples());
    EXPECT_EQ(ReadMedia(saved.File).Format, u"MP4");
}

const std::u16string kTitle = u"\u00A9nam";

}  // namespace

TEST(Mp4Writer, EveryPropertySetAndRemovedReadsBack) {
    const struct {
        std::u16string Key, Value;
        std::function<std::u16string(const MediaTags&)> Read;
        std::u16string Removed = u"";
    } fields[] = {
        {kTitle, u"Gr\u00FC\u00DFe \u65E5\u672C \U0001F3B5", [](const MediaTags& t) { return t.Title; }},
        {u"\u00A9ART", u"Artist One; Artist Two", [](const MediaTags& t) { return t.Artist; }},
        {u"\u00A9alb", u"Album \u221E", [](const MediaTags& t) { return t.Album; }},
        {u"aART", u"Album Artist", [](const MediaTags& t) { return t.AlbumArtist; }},
        {u"\u00A9wrt", u"Composer", [](const MediaTags& t) { return t.Composer; }},
        {u"\u00A9cmt", u"Comment", [](const MediaTags& t) { return t.Comment; }},
        {u"\u00A9gen", u"Jazz Fusion", [](const MediaTags& t) { return t.Genre; }},
        {u"gnre", u"Jazz", [](const MediaTags& t) { return t.Genre; }},
        {u"\u00A9lyr", u"la la\nla", [](const MediaTags& t) { return t.Lyrics; }},
        {u"\u00A9day", u"2003", [](const MediaTags& t) { return DecimalText(t.Year); }, u"0"},
        {u"trkn", u"3/12", [](const MediaTags& t) { return DecimalText(t.Track) + u'/' + DecimalText(t.TrackCount); }, u"0/0"},
        {u"disk", u"2", [](const MediaTags& t) { return DecimalText(t.Disc); }, u"0"},
        {u"tmpo", u"120", [](const MediaTags& t) { return TextOf(t, u"tmpo"); }, u"(absent)"},
        {u"----:com.apple.iTunes:MOOD", u"calm \u2603", [](const MediaTags& t) { return TextOf(t, u"----:com.apple.iTunes:MOOD"); },
         u"(absent)"},
    };
    const Bytes file = FileOf(Layout());
    for (const auto& field : fields) {
        SCOPED_TRACE(std::string(field.Key.begin(), field.Key.end()));
        const PlannedSave set = SaveEdits(file, TextEdits({{field.Key, field.Value}}));
        ExpectSound(set);
        EXPECT_EQ(field.Read(ReadMedia(set.File)), field.Value);
        EXPECT_TRUE(Holds(set.File, Text("xtra", "kept")));
        const PlannedSave gone = SaveEdits(set.File, TextEdits({{field.Key, u""}}));
        ExpectSound(gone);
        EXPECT_EQ(field.Read(ReadMedia(gone.File)), field.Removed);
    }
    // The genre edited by its property replaces gnre; a number item is an integer.
    const PlannedSave genre = SaveEdits(file, TextEdits({{u"\u00A9gen", u"Jazz"}}));
    EXPECT_FALSE(Holds(genre.File, BytesOf("gnre")));
    EXPECT_TRUE(Holds(SaveEdits(file, TextEdits({{u"tmpo", u"120"}})).File, Item("tmpo", 21, {0, 120})));
    EXPECT_TRUE(Holds(SaveEdits(file, TextEdits({{u"trkn", u"3/12"}})).File, Item("trkn", 0, {0, 0, 0, 3, 0, 12, 0, 0})));
    // What an item cannot hold is refused, the file unchanged.
    for (const auto& bad : {std::pair<const char16_t*, const char16_t*>{u"trkn", u"three"}, {u"disk", u"70000"},
                            {u"tmpo", u"fast"}}) {
        const PlannedSave refused = SaveEdits(file, TextEdits({{bad.first, bad.second}}));
        EXPECT_EQ(refused.Verdict.Refusal, SaveRefusal::Unsupported);
        EXPECT_EQ(refused.File, file);
    }
}

TEST(Mp4Writer, CoversAreJpegOrPngTheFirstReplacedAndTheOthersKept) {
    const Bytes jpeg = Bytes{0xFF, 0xD8, 0xFF, 0xE0} + Bytes(3000, 1), png = BytesOf("\x89PNG\r\n\x1A\n") + Bytes(500, 2);
    Layout layout;
    layout.Items = layout.Items + box("covr", box("data", BigEndian(14, 4) + Bytes(4, 0) + png) +
                                                  box("data", BigEndian(13, 4) + Bytes(4, 0) + BytesOf("back")));
    const Bytes file = FileOf(layout);
    TagEdits edits;
    edits.Cover = {jpeg, "image/jpeg"};
    const PlannedSave saved = SaveEdits(file, edits);
    ExpectSound(saved);
    Bytes image;
    EXPECT_TRUE(CopyPictureBytes(saved.File, ReadMedia(saved.File), image));
    EXPECT_EQ(image, jpeg);
    EXPECT_TRUE(Holds(saved.File, box("data", BigEndian(13, 4) + Bytes(4, 0) + jpeg) +
                                      box("data", BigEndian(13, 4) + Bytes(4, 0) + BytesOf("back"))));
    edits.Cover = {png, "image/png"};
    EXPECT_TRUE(Holds(SaveEdits(FileOf(Layout()), edits).File, Item("covr", 14, png)));
    TagEdits removal;
    removal.RemovePictures = true;
    const PlannedSave removed = SaveEdits(file, removal);
    ExpectSound(removed);
    EXPECT_FALSE(ReadMedia(removed.File).HasPicture());
    EXPECT_FALSE(Holds(removed.File, BytesOf("covr")));
}

TEST(Mp4Writer, UnknownBoxesAndItemsAreKeptByteForByte) {
    Layout layout;
    const Bytes freeform = box("----", box("mean", Bytes(4, 0) + BytesOf("com.x")) + box("name", Bytes(4, 0) + BytesOf("K")) +
                                           box("data", BigEndian(1, 4) + Bytes(4, 0) + BytesOf("v")));
    const Bytes odd = box("zzzz", BytesOf("opaque"));
    layout.Items = layout.Items + freeform + box("abcd", BytesOf("no data box"));
    layout.InMovie = odd;
    layout.AfterItems = box("uuid", Bytes(20, 9));
    const Bytes file = FileOf(layout);
    const PlannedSave saved = SaveEdits(file, TextEdits({{kTitle, u"A longer title than before"}, {u"\u00A9ART", u"New"}}));
    ExpectSound(saved);
    for (const Bytes& kept : {freeform, odd, layout.AfterItems, box("abcd", BytesOf("no data box")), Text("xtra", "kept")}) {
        EXPECT_TRUE(Holds(saved.File, kept));
    }
    EXPECT_EQ(TypesIn(saved.File, {"moov", "udta", "meta", "ilst"}),
              (std::vector<std::string>{"\xA9nam", "gnre", "xtra", "----", "abcd", "\xA9" "ART"}));
    // The same edits give the same file, and saving them again changes nothing.
    EXPECT_EQ(SaveEdits(file, TextEdits({{kTitle, u"A longer title than before"}, {u"\u00A9ART", u"New"}})).File, saved.File);
    EXPECT_EQ(SaveEdits(saved.File, TextEdits({{kTitle, u"A longer title than before"}})).Way, SaveWay::Nothing);
    EXPECT_EQ(SaveEdits(file, TagEdits()).Way, SaveWay::Nothing);
}

TEST(Mp4Writer, ChunkOffsetsFollowTheMediaWhereTheMovieGrowsBeforeIt) {
    const struct {
        bool MovieFirst, Wide, Large;
    } layouts[] = {{true, false, false}, {true, true, false}, {true, false, true}, {false, false, false}, {false, true, true}};
    for (const auto& row : layouts) {
        SCOPED_TRACE(std::to_string(row.MovieFirst) + std::to_string(row.Wide) + std::to_string(row.Large));
        Layout layout;
        layout.MovieFirst = row.MovieFirst;
        layout.Wide = row.Wide;
        layout.Large = row.Large;
        const Bytes file = FileOf(layout);
        const PlannedSave saved = SaveEdits(file, TextEdits({{kTitle, std::u16string(300, u'x')}}));
        ExpectSound(saved);
        EXPECT_EQ(saved.Way, SaveWay::NewFile);
        EXPECT_EQ(ReadMedia(saved.File).Title, std::u16string(300, u'x'));
        std::string before, after;
        const std::vector<uint64_t> old = ChunkOffsets(file, &before), moved = ChunkOffsets(saved.File, &after);
        EXPECT_EQ(after, before);
        ASSERT_EQ(moved.size(), old.size());
        // Moved by the growth before the media, and not at all after it.
        const uint64_t growth = row.MovieFirst ? saved.File.size() - file.size() : 0;
        for (size_t i = 0; i < old.size(); ++i) EXPECT_EQ(moved[i], old[i] + growth);
        // The fresh layout: padding in front of the items.
        EXPECT_EQ(TypesIn(saved.File, {"moov", "udta", "meta"}), (std::vector<std::string>{"hdlr", "free", "ilst"}));
    }
}

TEST(Mp4Writer, A32BitOffsetThatWouldOverflowMakesThe64BitTable) {
    Layout layout;
    layout.FarOffset = 0xFFFFFF00u;
    const Bytes file = FileOf(layout);
    for (size_t grown : {200, 300}) {
        const PlannedSave saved = SaveEdits(file, TextEdits({{kTitle, std::u16string(grown, u'x')}}));
        ExpectSound(saved);
        std::string type;
        const std::vector<uint64_t> offsets = ChunkOffsets(saved.File, &type);
        const uint64_t growth = saved.File.size() - file.size();
        ASSERT_EQ(offsets.size(), kChunks + 1);
        // 0xFFFFFF00 and the growth no longer fit in 32 bits.
        EXPECT_EQ(type, "co64");
        EXPECT_EQ(offsets[kChunks], 0xFFFFFF00u + growth);
    }
    Layout fitting;
    fitting.FarOffset = 0xFFFFFF00u - 100000;
    std::string type;
    ChunkOffsets(SaveEdits(FileOf(fitting), TextEdits({{kTitle, u"xy"}})).File, &type);
    EXPECT_EQ(type, "stco");
}

TEST(Mp4Writer, InPlaceWhereAFreeBoxBesideTheItemsOrTheMovieTakesTheGrowth) {
    // The title "T" grows by growth bytes into a free box of 40 bytes.
    const struct {
        int Where;  // 0: after ilst, 1: before ilst, 2: after moov
        size_t Growth;
        SaveWay Way;
    } rows[] = {{0, 32, SaveWay::InPlace}, {0, 40, SaveWay::InPlace}, {0, 36, SaveWay::NewFile}, {0, 41, SaveWay::NewFile},
                {1, 32, SaveWay::InPlace}, {1, 40, SaveWay::InPlace}, {1, 41, SaveWay::NewFile},
                {2, 32, SaveWay::InPlace}, {2, 40, SaveWay::InPlace}, {2, 33, SaveWay::NewFile}, {2, 41, SaveWay::NewFile}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.Where) + " " + std::to_string(row.Growth));
        Layout layout;
        (row.Where == 0 ? layout.AfterItems : row.Where == 1 ? layout.BeforeItems : layout.AfterMovie) = Free(40);
        const Bytes file = FileOf(layout);
        const std::u16string title = u"T" + std::u16string(row.Growth, u'x');
        const PlannedSave saved = SaveEdits(file, TextEdits({{kTitle, title}}));
        ExpectSound(saved);
        EXPECT_EQ(saved.Way, row.Way);
        EXPECT_EQ(ReadMedia(saved.File).Title, title);
        if (row.Way == SaveWay::InPlace) {
            EXPECT_EQ(saved.File.size(), file.size());
        }
    }
    // What the items give back becomes a free box in front of them.
    const PlannedSave saved = SaveEdits(FileOf(Layout()), TextEdits({{u"xtra", u""}}));
    ExpectSound(saved);
    EXPECT_EQ(saved.Way, SaveWay::InPlace);
    EXPECT_EQ(TypesIn(saved.File, {"moov", "udta", "meta"}), (std::vector<std::string>{"hdlr", "free", "ilst"}));
}

TEST(Mp4Writer, AFileWrittenAnewTakesTheNextTextEditInPlaceBesideALargeCover) {
    // A box before the items of a size that puts them at every part of a page.
    for (size_t before = 0; before < kInPlacePage; before += 331) {
        SCOPED_TRACE(before);
        Layout layout;
        layout.Items = Item("covr", 13, Bytes{0xFF, 0xD8, 0xFF} + Bytes(20000, 5)) + layout.Items;
        layout.InMovie = box("zzzz", Bytes(before, 0));
        const PlannedSave first = SaveEdits(FileOf(layout), TextEdits({{u"\u00A9alb", u"Album"}}));
        ExpectSound(first);
        EXPECT_EQ(TypesIn(first.File, {"moov", "udta", "meta", "ilst"}).back(), "covr");
        Bytes file = first.File;
        for (const char16_t* title : {u"A title some forty characters long here", u"Short", u"\u00C9t\u00E9 \u6625"}) {
            const PlannedSave next = SaveEdits(file, TextEdits({{kTitle, title}}));
            ExpectSound(next);
            EXPECT_EQ(next.Way, SaveWay::InPlace);
            EXPECT_EQ(ReadMedia(next.File).Title, title);
            file = next.File;
        }
    }
}

TEST(Mp4Writer, FragmentedAndDamagedFilesAreRefusedUntouched) {
    Layout fragmented;
    fragmented.InMovie = box("mvex", box("trex", Bytes(24, 0)));
    Layout overrun;
    overrun.InMovie = BigEndian(400, 4) + BytesOf("zzzz") + Bytes(8, 0);
    Layout counted;
    counted.FarOffset = 1;
    Bytes miscounted = FileOf(counted);
    const Found stco = BoxAt(miscounted, {"moov", "trak", "mdia", "minf", "stbl", "stco"});
    miscounted[stco.Body + 7] = 9;
    const struct {
        Bytes File;
        SaveRefusal Refusal;
    } rows[] = {{FileOf(fragmented), SaveRefusal::Unsupported},
                {FileOf(Layout()) + box("moof", Bytes(16, 0)), SaveRefusal::Unsupported},
                {FileOf(overrun), SaveRefusal::Damaged},
                {miscounted, SaveRefusal::Damaged},
                {box("ftyp", BytesOf("M4A ")) + box("mdat", Bytes(10, 0)), SaveRefusal::Unsupported}};
    for (const auto& row : rows) {
        const PlannedSave saved = SaveEdits(row.File, TextEdits({{kTitle, std::u16string(100, u'x')}}));
        EXPECT_EQ(saved.Verdict.Refusal, row.Refusal);
        EXPECT_FALSE(saved.Verdict.Reason.empty());
        EXPECT_EQ(saved.File, row.File);
    }
}

TEST(Mp4Writer, AMovieWithoutItemsGetsTheMetaBoxWithItsHandler) {
    const Bytes file = box("ftyp", BytesOf("M4A ")) + box("moov", box("mvhd", Bytes(100, 0))) + box("mdat", Bytes(10, 0));
    const PlannedSave saved = SaveEdits(file, TextEdits({{kTitle, u"New"}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    EXPECT_TRUE(WellFormed(saved.File, 0, saved.File.size()));
    EXPECT_EQ(ReadMedia(saved.File).Title, u"New");
    EXPECT_TRUE(Holds(saved.File, box("hdlr", Bytes(8, 0) + BytesOf("mdirappl") + Bytes(9, 0))));
}

TEST(Mp4Writer, DamagedMoviesAreRefusedUntouchedOrSavedWithTheEdit) {
    Layout layout;
    layout.Items = layout.Items + Item("covr", 13, Bytes{0xFF, 0xD8, 0xFF} + Bytes(300, 5));
    layout.AfterItems = Free(64);
    const Bytes file = FileOf(layout);
    const Found movie = BoxAt(file, {"moov"});
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245 + 12345, seed >> 8; };
    for (int round = 0; round < 400; ++round) {
        Bytes damaged = file;
        for (int i = 0; i < 1 + round % 4; ++i) {
            damaged[movie.Start + next() % (movie.End - movie.Start)] = static_cast<unsigned char>(next());
        }
        const PlannedSave saved = SaveEdits(damaged, TextEdits({{kTitle, u"Edited"}}));
        if (!saved.Verdict.Ok()) {
            EXPECT_EQ(saved.File, damaged);
            continue;
        }
        EXPECT_EQ(ReadMedia(saved.File).Title, u"Edited") << round;
    }
}
