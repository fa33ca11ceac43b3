// The WMA (ASF) writer over bytes in memory: every property through the content
// descriptions and the metadata library, several values, pictures, the header's size, count
// and the file size, every other object and the packets byte for byte, the padding that
// lets the next edit go in place, and the headers it refuses.
#include <gtest/gtest.h>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "formats/asf/asf_attributes.h"
#include "formats/edit_keys.h"
#include "planned_save.h"
#include "writer_checks.h"
#include "property_rows.h"

namespace {

const Bytes kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                               0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Bytes kExtended = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
const Bytes kPadding = {0x74, 0xD4, 0x06, 0x18, 0xDF, 0xCA, 0x09, 0x45, 0xA4, 0xBA, 0x9A, 0xAB, 0xCB, 0x96, 0xAA, 0xE8};
const Bytes kUnknown(16, 0xAB), kUnknownInside(16, 0xCD);

uint64_t NumberAt(const Bytes& file, size_t at, int width) {
    uint64_t value = 0;
    for (int i = width; i-- > 0;) value = value << 8 | file[at + i];
    return value;
}

Bytes ExtendedRecord(const std::string& name, uint16_t type, const Bytes& value) {
    const Bytes nameBytes = Utf16z(name);
    return LittleEndian(nameBytes.size(), 2) + nameBytes + LittleEndian(type, 2) + LittleEndian(value.size(), 2) + value;
}

Bytes Description(const std::string& title, const std::string& author) {
    const Bytes t = Utf16z(title), a = Utf16z(author);
    return AsfObject(kAsfContentDescription, LittleEndian(t.size(), 2) + LittleEndian(a.size(), 2) + Bytes(6, 0) + t + a);
}

Bytes Extension(const Bytes& objects) {
    return AsfObject(kAsfHeaderExtension, Bytes(16, 0) + LittleEndian(6, 2) + LittleEndian(objects.size(), 4) + objects);
}

// What a save must get right about the header: each object walked to its size, the count,
// the extension's size of its objects, the file properties' file size.
void ExpectSoundHeader(const Bytes& file) {
    const uint64_t size = NumberAt(file, 16, 8);
    ASSERT_LE(size, file.size());
    uint64_t count = 0, at = 30;
    while (at + 24 <= size) {
        const Bytes guid(file.begin() + at, file.begin() + at + 16);
        const uint64_t objectSize = NumberAt(file, at + 16, 8);
        ASSERT_GE(objectSize, 24u);
        if (guid == kFileProperties) {
            EXPECT_EQ(NumberAt(file, at + 40, 8), file.size()) << "file size";
        }
        if (guid == kAsfHeaderExtension) {
            EXPECT_EQ(NumberAt(file, at + 42, 4), objectSize - 46) << "extension size";
        }
        at += objectSize;
        ++count;
    }
    EXPECT_EQ(at, size) << "objects fill the header";
    EXPECT_EQ(NumberAt(file, 24, 4), count) << "object count";
}

// The bytes after the header: the data object and whatever follows it.
Bytes AfterHeader(const Bytes& file) { return Bytes(file.begin() + NumberAt(file, 16, 8), file.end()); }

bool Holds(const Bytes& file, const Bytes& part) {
    return std::search(file.begin(), file.end(), part.begin(), part.end()) != file.end();
}

const Bytes kFilePropertiesObject = AsfObject(kFileProperties, Bytes(16, 1) + LittleEndian(0, 8) + Bytes(56, 0));
const Bytes kUnknownObject = AsfObject(kUnknown, BytesOf("kept as it is"));
const Bytes kUnknownInsideObject = AsfObject(kUnknownInside, BytesOf("kept too"));

struct Layout {
    const char* Name;
    Bytes File;
};
std::vector<Layout> Layouts() {
    const Bytes extended = AsfObject(kExtended, LittleEndian(3, 2) + ExtendedRecord("WM/AlbumTitle", 0, Utf16z("Old album")) +
                                                    ExtendedRecord("WM/TrackNumber", 3, LittleEndian(7, 4)) +
                                                    ExtendedRecord("Custom", 0, Utf16z("mine")));
    const Bytes library = AsfObject(kAsfMetadataLibrary, LittleEndian(1, 2) + AsfMetadataRecord("WM/Year", 0, Utf16z("1990")));
    const Bytes tagged = Description("Old", "Old A") + extended + kUnknownObject;
    std::vector<Layout> layouts = {
        {"bare", AsfFile({kFilePropertiesObject})},
        {"tagged", AsfFile({kFilePropertiesObject, tagged, Extension(library + kUnknownInsideObject)})},
        {"padded", AsfFile({kFilePropertiesObject, tagged, Extension(library + AsfObject(kPadding, Bytes(3000, 0)))})},
        {"stereo-44k.wma", FormatFixtureBytes("stereo-44k.wma")},
        {"mono-22k.wma", FormatFixtureBytes("mono-22k.wma")}};
    // The hand-made ones' file size right before the save, as the tools write it.
    for (Layout& layout : layouts) {
        if (layout.File.empty() || layout.File[30] != 0xA1) continue;
        const Bytes size = LittleEndian(layout.File.size(), 8);
        std::copy(size.begin(), size.end(), layout.File.begin() + 30 + 40);
    }
    layouts.erase(std::remove_if(layouts.begin(), layouts.end(), [](const Layout& l) { return l.File.empty(); }),
                  layouts.end());
    return layouts;
}

}  // namespace

TEST(AsfWriter, EveryPropertySetAndRemovedReadsBackAndTheRestStaysByteForByte) {
    for (const Layout& layout : Layouts()) {
        for (const PropertyRow& row : PropertyRows({u"Copyright", u"WM/Mood"})) {
            const std::u16string key = EditKeyFor(&AsfFieldNames(), row.Key);
            SCOPED_TRACE(std::string(layout.Name) + " " + std::string(key.begin(), key.end()));
            const PlannedSave set = SaveEdits(layout.File, TextEdits({{key, row.Value}}));
            ASSERT_TRUE(set.Verdict.Ok());
            ExpectSoundHeader(set.File);
            const bool pair = row.Key == kTrackKey;
            EXPECT_EQ(row.Read(ReadMedia(set.File)), row.Value);
            EXPECT_EQ(AfterHeader(set.File), AfterHeader(layout.File));
            const PlannedSave removed = SaveEdits(set.File, TextEdits({{key, u""}}));
            ASSERT_TRUE(removed.Verdict.Ok());
            ExpectSoundHeader(removed.File);
            EXPECT_EQ(row.Read(ReadMedia(removed.File)), pair ? u"/" : u"");
            const PlannedSave again = SaveEdits(set.File, TextEdits({{key, row.Value}}));
            EXPECT_EQ(again.File, set.File);
            for (const Bytes& kept : {kUnknownObject, kUnknownInsideObject}) {
                EXPECT_EQ(Holds(set.File, kept), Holds(layout.File, kept));
            }
        }
    }
}

TEST(AsfWriter, OtherAttributesStayAndANumberStaysANumber) {
    const Bytes file = Layouts()[1].File;
    // A name in another letter case is the same attribute.
    const PlannedSave saved =
        SaveEdits(file, TextEdits({{u"WM/TrackNumber", u"9"}, {u"Title", u"New"}, {u"CUSTOM", u"changed"}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    const MediaTags tags = ReadMedia(saved.File);
    EXPECT_EQ(tags.Track, 9);
    EXPECT_EQ(tags.Title, u"New");
    EXPECT_EQ(tags.Artist, u"Old A");
    EXPECT_EQ(tags.Album, u"Old album");
    EXPECT_EQ(tags.Year, 1990);
    EXPECT_EQ(TextOf(tags, u"custom"), u"changed");
    EXPECT_FALSE(Holds(saved.File, Utf16z("mine")));
    EXPECT_TRUE(Holds(saved.File, ExtendedRecord("WM/TrackNumber", 3, LittleEndian(9, 4))));
    EXPECT_FALSE(Holds(saved.File, Utf16z("Old")));
    // What is no plain number becomes text.
    const PlannedSave text = SaveEdits(saved.File, TextEdits({{u"WM/TrackNumber", u"9b"}}));
    EXPECT_EQ(TextOf(ReadMedia(text.File), u"WM/TrackNumber"), u"9b");
}

TEST(AsfWriter, PicturesAreSetAndRemoved) {
    const Bytes small = BytesOf("\xFF\xD8\xFF\xE0") + Bytes(3000, 9), large = BytesOf("\x89PNG\r\n\x1a\n") + Bytes(70000, 4);
    for (const Layout& layout : Layouts()) {
        for (const Bytes& image : {small, large}) {
            SCOPED_TRACE(std::string(layout.Name) + (image.size() > 65535 ? " large picture" : " small picture"));
            ExpectSoundHeader(ExpectCoverSetAndRemoved(layout.File, image));
        }
    }
}

TEST(AsfWriter, PaddingLetsTheNextEditGoInPlaceAndCopiesEndTheSame) {
    for (const Layout& layout : Layouts()) {
        SCOPED_TRACE(layout.Name);
        const PlannedSave first = SaveEdits(layout.File, TextEdits({{u"WM/Composer", u"First"}}));
        ASSERT_TRUE(first.Verdict.Ok());
        const PlannedSave second = SaveEdits(first.File, TextEdits({{u"WM/Composer", u"A longer second composer"}}));
        EXPECT_EQ(second.Way, SaveWay::InPlace);
        ExpectSoundHeader(second.File);
        EXPECT_EQ(ReadMedia(second.File).Composer, u"A longer second composer");
    }
    // Differently tagged copies of one file given the same values: one file, its padding
    // from the audio, not from the old header.
    const TagEdits edits = TextEdits({{u"Title", u"Same"}, {u"Author", u""}, {u"WM/Year", u""}, {u"WM/Lyrics", u""}});
    const Bytes emptyLibrary = AsfObject(kAsfMetadataLibrary, LittleEndian(0, 2));
    const Bytes bare = AsfFile({kFilePropertiesObject, Extension(emptyLibrary)});
    const Bytes tagged = AsfFile(
        {kFilePropertiesObject,
         Extension(AsfObject(kAsfMetadataLibrary, LittleEndian(2, 2) + AsfMetadataRecord("WM/Year", 0, Utf16z("1990")) +
                                                      AsfMetadataRecord("WM/Lyrics", 0, Utf16z(std::string(3000, 'l'))))),
         Description("Old", "Old A")});
    EXPECT_EQ(SaveEdits(tagged, edits).File, SaveEdits(bare, edits).File);
}

TEST(AsfWriter, HeadersThatCannotBeWalkedWholeAreRefusedByName) {
    const Bytes good = Layouts()[1].File;
    auto withNumberAt = [&](size_t at, uint64_t value, int width) {
        Bytes file = good;
        const Bytes bytes = LittleEndian(value, width);
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
        return file;
    };
    const size_t description = 30 + kFilePropertiesObject.size();
    const size_t extended = description + NumberAt(good, description + 16, 8);
    const struct {
        const char* Name;
        Bytes File;
    } cases[] = {
        {"header past the end", withNumberAt(16, good.size() + 1, 8)},
        {"object past the header", withNumberAt(description + 16, 4000, 8)},
        {"object smaller than its header", withNumberAt(description + 16, 10, 8)},
        {"description text past the object", withNumberAt(description + 24, 900, 2)},
        {"attribute count past the object", withNumberAt(extended + 24, 40, 2)},
        {"extension size wrong", withNumberAt(good.size() - 50 - Extension({}).size() + 42 -
                                                  (AsfObject(kAsfMetadataLibrary, LittleEndian(1, 2) +
                                                                                      AsfMetadataRecord("WM/Year", 0, Utf16z("1990"))) +
                                                   kUnknownInsideObject).size(), 1, 4)},
        {"cut inside the header", Bytes(good.begin(), good.begin() + 100)},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.Name);
        const PlannedSave saved = SaveEdits(refused.File, TextEdits({{u"Title", u"t"}}));
        EXPECT_EQ(saved.Verdict.Refusal, SaveRefusal::Damaged);
        EXPECT_FALSE(saved.Verdict.Reason.empty());
        EXPECT_EQ(saved.File, refused.File);
    }
}
