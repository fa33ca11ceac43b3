// The MP3 writer's rules, each from one table, read back through the reader and in the
// bytes a save leaves: the text encoding per tag version, every ID3v1 field's offset and
// width, the in-place limit at the tag area's last byte and one past it, a new tag's
// padding and sameness across differently tagged copies of one file, the frames that ask
// to go when the tag changes, the tags beside the front tag made one, and the tags the
// writer cannot walk refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "format_test_files.h"
#include "formats/id3v2/tag_serialiser.h"
#include "planned_save.h"

namespace {

const Bytes kAudio = MpegFrames(20);

size_t Find(const Bytes& in, const Bytes& what, size_t from = 0) {
    const auto at = std::search(in.begin() + static_cast<std::ptrdiff_t>(from), in.end(), what.begin(), what.end());
    return at == in.end() ? std::string::npos : static_cast<size_t>(at - in.begin());
}

bool Holds(const Bytes& in, const Bytes& what) { return Find(in, what) != std::string::npos; }

// Whether in holds an ASCII text as ISO-8859-1 or UTF-8, or as UTF-16LE.
bool HoldsText(const Bytes& in, const std::string& text) {
    Bytes wide;
    for (const char c : text) wide = wide + Bytes{static_cast<unsigned char>(c), 0};
    return Holds(in, BytesOf(text)) || Holds(in, wide);
}

// A frame with its status flags byte (tag and file alter preservation) set.
Bytes WithStatus(Bytes frame, unsigned char status) {
    frame[8] = status;
    return frame;
}

// What the reader shows of the texts once edits are made: "" removes a key.
std::map<std::u16string, std::u16string> Edited(std::map<std::u16string, std::u16string> texts, const TagEdits& edits) {
    for (const auto& edit : edits.Texts) {
        if (edit.second.empty()) {
            texts.erase(edit.first);
        } else {
            texts[edit.first] = edit.second;
        }
    }
    return texts;
}

}  // namespace

TEST(Mp3WriterRules, EachTextEncodingInEachTagVersion) {
    // A 2.3 tag has ISO-8859-1 and UTF-16, a 2.4 tag ISO-8859-1 and UTF-8; a new tag is 2.3.
    const struct {
        Bytes Source;
        int Version;
    } sources[] = {{kAudio, 3}, {Tag(3, TextFrame(3, "TIT2", "old")) + kAudio, 3},
                   {Tag(4, TextFrame(4, "TIT2", "old")) + kAudio, 4}, {Tag(2, TextFrame(2, "TT2", "old")) + kAudio, 3}};
    const std::u16string keys[] = {u"TIT2", u"TXXX:Mood", u"COMM", u"USLT"};
    for (const auto& source : sources) {
        for (const std::u16string value : {u"Gr\u00FC\u00DFe", u"\u65E5\u672C \u00FC"}) {
            const bool wide = value.find(u'\u65E5') != std::u16string::npos;
            const unsigned char expected = !wide ? 0 : source.Version == 4 ? 3 : 1;
            for (const std::u16string& key : keys) {
                const PlannedSave saved = SaveEdits(source.Source, TextEdits({{key, value}}));
                ASSERT_TRUE(saved.Verdict.Ok());
                EXPECT_EQ(saved.File[3], source.Version);
                const std::string id(key.begin(), key.begin() + 4);
                const size_t at = Find(saved.File, BytesOf(id), 10);
                ASSERT_NE(at, std::string::npos) << id;
                EXPECT_EQ(saved.File[at + 10], expected) << id << " in " << source.Version << ", wide " << wide;
                const MediaTags tags = ReadMedia(saved.File);
                const std::u16string read = id == "TIT2"   ? tags.Title
                                            : id == "COMM" ? tags.Comment
                                            : id == "USLT" ? tags.Lyrics
                                                           : TextOf(tags, key);
                EXPECT_EQ(read, value) << id;
            }
        }
    }
}

TEST(Mp3WriterRules, EveryId3v1FieldAtItsOffsetAndWidth) {
    Bytes v1 = MakeTag(std::string(30, 't'), std::string(30, 'a'), std::string(30, 'l'), "1999", std::string(30, 'c'), 17);
    const struct {
        std::u16string Key, Value;
        size_t Offset, Width;
        Bytes Expected;
    } fields[] = {
        {u"TIT2", std::u16string(40, u'T'), 3, 30, Bytes(30, 'T')},
        {u"TPE1", u"Artist", 33, 30, BytesOf("Artist") + Bytes(24, 0)},
        {u"TALB", std::u16string(31, u'L'), 63, 30, Bytes(30, 'L')},
        {u"TYER", u"2024", 93, 4, BytesOf("2024")},
        {u"TYER", u"", 93, 4, Bytes(4, 0)},
        {u"COMM", std::u16string(35, u'C'), 97, 30, Bytes(30, 'C')},  // no track: 30 bytes
        {u"TRCK", u"7/12", 125, 2, Bytes{0, 7}},
        {u"TRCK", u"", 125, 2, Bytes{0, 0}},
        {u"TCON", u"Jazz", 127, 1, Bytes{8}},
        {u"TCON", u"", 127, 1, Bytes{255}},
    };
    for (const auto& field : fields) {
        const PlannedSave saved = SaveEdits(kAudio + v1, TextEdits({{field.Key, field.Value}}));
        ASSERT_TRUE(saved.Verdict.Ok());
        const Bytes after(saved.File.end() - 128, saved.File.end());
        const Bytes written(after.begin() + static_cast<std::ptrdiff_t>(field.Offset),
                            after.begin() + static_cast<std::ptrdiff_t>(field.Offset + field.Width));
        EXPECT_EQ(written, field.Expected) << field.Offset;
        // Every other byte as it was.
        for (size_t i = 0; i < 128; ++i) {
            if (i < field.Offset || i >= field.Offset + field.Width) {
                EXPECT_EQ(after[i], v1[i]) << field.Offset << " " << i;
            }
        }
    }
    // With a track the comment has 28 bytes and the track keeps its two.
    v1[125] = 0, v1[126] = 5;
    const PlannedSave saved = SaveEdits(kAudio + v1, TextEdits({{u"COMM", std::u16string(35, u'C')}}));
    const Bytes after(saved.File.end() - 128, saved.File.end());
    EXPECT_EQ(Bytes(after.begin() + 97, after.begin() + 125), Bytes(28, 'C'));
    EXPECT_EQ(after[125], 0);
    EXPECT_EQ(after[126], 5);
    EXPECT_EQ(ReadMedia(saved.File).Track, 5);
}

TEST(Mp3WriterRules, InPlaceUpToTheTagAreasLastByteAndAnewOnePast) {
    // 100 bytes of padding after "old": a title 103 bytes long fills the tag area exactly.
    const Bytes source = Tag(3, TextFrame(3, "TIT2", "old") + Bytes(100, 0)) + kAudio;
    const struct {
        size_t Length;
        SaveWay Way;
    } cases[] = {{3, SaveWay::Nothing}, {4, SaveWay::InPlace}, {103, SaveWay::InPlace}, {104, SaveWay::NewFile}};
    for (const auto& test : cases) {
        const std::u16string title(test.Length, u'o');
        const PlannedSave saved = SaveEdits(source, TextEdits({{u"TIT2", test.Length == 3 ? u"old" : title}}));
        ASSERT_TRUE(saved.Verdict.Ok());
        EXPECT_EQ(saved.Way, test.Way) << test.Length;
        EXPECT_EQ(saved.File.size() == source.size(), test.Way != SaveWay::NewFile) << test.Length;
        EXPECT_TRUE(std::equal(kAudio.rbegin(), kAudio.rend(), saved.File.rbegin())) << test.Length;
        const MediaTags tags = ReadMedia(saved.File);
        EXPECT_EQ(tags.Title, test.Length == 3 ? u"old" : title) << test.Length;
        EXPECT_NEAR(tags.Duration, ReadMedia(source).Duration, 1e-9) << test.Length;
    }
    // The same fit, but what changes spans two pages: written anew.
    const Bytes wide = Tag(3, TextFrame(3, "TIT2", std::string(5000, 'w')) + Bytes(100, 0)) + kAudio;
    const PlannedSave spanning = SaveEdits(wide, TextEdits({{u"TIT2", std::u16string(5000, u'v')}}));
    EXPECT_EQ(spanning.Way, SaveWay::NewFile);
    EXPECT_EQ(ReadMedia(spanning.File).Title, std::u16string(5000, u'v'));
}

TEST(Mp3WriterRules, ANewTagsPaddingFollowsTheAudioWhateverTagWasThere) {
    const Bytes album = TextFrame(3, "TALB", "old");
    const Bytes picture = Frame(3, "APIC", PictureBody(3, 3, "", Bytes(300000, 0xAB)));
    const Bytes sources[] = {kAudio, Tag(3, album) + kAudio, Tag(3, album + Bytes(300000, 0)) + kAudio,
                             Tag(3, album + picture) + kAudio, Tag(4, album) + kAudio};
    TagEdits edits = TextEdits({{u"TALB", u"Album"}, {u"TIT2", u"Title"}, {u"TPE1", u"Artist"}});
    edits.RemovePictures = true;
    Bytes first;
    for (size_t i = 0; i < 4; ++i) {
        const PlannedSave saved = SaveEdits(sources[i], edits);
        ASSERT_TRUE(saved.Verdict.Ok());
        EXPECT_EQ(saved.Way, SaveWay::NewFile) << i;
        if (i == 0) first = saved.File;
        EXPECT_EQ(saved.File, first) << i;
    }
    const size_t frames = 3 * 10 + (1 + 5) + (1 + 5) + (1 + 6);
    EXPECT_EQ(first.size(), 10 + frames + PaddingFor(kAudio.size()) + kAudio.size());
    // A 2.4 tag stays 2.4 with the same padding.
    const PlannedSave v24 = SaveEdits(sources[4], edits);
    EXPECT_EQ(v24.File.size(), first.size());
}

TEST(Mp3WriterRules, FramesThatAskToGoWhenTheTagChangesGoInEachVersion) {
    const Bytes priv = BytesOf("owner") + Bytes{0, 1, 2};
    const struct {
        int Version;
        unsigned char Status;
        bool Kept;
    } cases[] = {
        {3, 0x80, false}, {3, 0x40, true}, {3, 0x20, true},  // tag alter, file alter, read only
        {4, 0x40, false}, {4, 0x20, true}, {4, 0x10, true}, {4, 0x80, true},
    };
    for (const auto& test : cases) {
        const Bytes frame = WithStatus(Frame(test.Version, "PRIV", priv), test.Status);
        const Bytes file = Tag(test.Version, TextFrame(test.Version, "TIT2", "t") + frame + Bytes(64, 0)) + kAudio;
        const PlannedSave saved = SaveEdits(file, TextEdits({{u"TALB", u"a"}}));
        ASSERT_TRUE(saved.Verdict.Ok());
        EXPECT_EQ(Holds(saved.File, frame), test.Kept) << test.Version << " " << int{test.Status};
        EXPECT_EQ(Holds(saved.File, BytesOf("PRIV")), test.Kept) << test.Version << " " << int{test.Status};
    }
}

TEST(Mp3WriterRules, TagsBesideTheFrontTagBecomeOneAndWhatTheyShowedStays) {
    const Bytes utf8Artist = Frame(4, "TPE1", Bytes{3} + BytesOf("\xE6\x97\xA5\xE6\x9C\xAC"));
    const Bytes compressed = Frame(4, "TIT3", Syncsafe(5) + BytesOf("zzzzz"), 0x09);
    // What the 2.4 tag holds beside a 2.3 front tag: a title the front has, a text it
    // lacks in UTF-8, a TXXX, COMM, APIC and PRIV of other descriptions, types and owners,
    // a year, a 2.4-only frame and a compressed frame no 2.3 tag can take.
    const Bytes other4 = TextFrame(4, "TIT2", "Second title") + utf8Artist + TextFrame(4, "TDRC", "2012") +
                         Frame(4, "TXXX", Bytes{3} + BytesOf("Mood") + Bytes{0} + BytesOf("calm")) +
                         Frame(4, "COMM", Bytes{3} + BytesOf("deu") + BytesOf("d") + Bytes{0} + BytesOf("described")) +
                         Frame(4, "APIC", PictureBody(4, 4, "back", BytesOf("back image"))) +
                         Frame(4, "PRIV", BytesOf("b") + Bytes{0, 2}) + TextFrame(4, "TSOP", "Sort") + compressed;
    const Bytes front3 = TextFrame(3, "TIT2", "Front") + TextFrame(3, "TXXX", std::string("Other\0x", 7)) +
                         Frame(3, "COMM", Bytes{0} + BytesOf("eng") + Bytes{0} + BytesOf("plain")) +
                         Frame(3, "APIC", PictureBody(3, 3, "", BytesOf("front image"))) +
                         Frame(3, "PRIV", BytesOf("a") + Bytes{0, 1});
    const Bytes front4 = TextFrame(4, "TIT2", "Front") + TextFrame(4, "TALB", "Front album");
    const Bytes second3 = TextFrame(3, "TPE1", "Second artist") + TextFrame(3, "TCOM", "Composer");
    const struct {
        const char* Name;
        Bytes File;
        TagEdits Edits;
        const char16_t* TagTypes;  // after the save
        Bytes Kept;                // bytes the saved file holds
    } cases[] = {
        {"appended to 2.3", Tag(3, front3) + kAudio + Tag(4, other4, 0x10), TextEdits({{u"TALB", u"Edited"}}),
         u"ID3v2.3 ID3v2.4", compressed},
        {"appended to 2.4", Tag(4, front4) + kAudio + Tag(4, other4, 0x10), TextEdits({{u"TPE2", u"Edited"}}),
         u"ID3v2.4", compressed},
        {"appended alone", kAudio + Tag(4, other4, 0x10), TextEdits({{u"TALB", u"Edited"}}), u"ID3v2.4", compressed},
        {"2.3 then 2.4", Tag(3, front3) + Tag(4, other4) + kAudio, TextEdits({{u"TPE1", u""}, {u"COMM", u""}}),
         u"ID3v2.3 ID3v2.4",
         compressed},
        {"2.4 then 2.3 then 2.2", Tag(4, front4) + Tag(3, second3) + Tag(2, TextFrame(2, "TT1", "Group")) + kAudio,
         TextEdits({{u"TPE1", u""}, {u"TCOM", u"New"}}), u"ID3v2.4", Bytes{}},
        {"three 2.3", Tag(3, front3) + Tag(3, second3) + Tag(3, second3 + Bytes(20, 0)) + kAudio,
         TextEdits({{u"TCOM", u""}}), u"ID3v2.3", BytesOf("Second artist")},
        // A front frame that the reader cannot read holds no place: the other one showed.
        {"an unreadable front title", Tag(3, Frame(3, "TIT2", Bytes{9, 'a'})) + kAudio + Tag(4, other4, 0x10),
         TextEdits({{u"TALB", u"Edited"}}), u"ID3v2.3 ID3v2.4", BytesOf("Second title")},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.Name);
        const MediaTags before = ReadMedia(test.File);
        const PlannedSave saved = SaveEdits(test.File, test.Edits);
        ASSERT_TRUE(saved.Verdict.Ok());
        const MediaTags after = ReadMedia(saved.File);
        // A 2.4 year alone is 2.3's TYER.
        std::map<std::u16string, std::u16string> expected = Edited(before.Texts, test.Edits);
        if (after.Texts.count(u"TYER") != 0 && expected.count(u"TYER") == 0 && expected.count(u"TDRC") != 0) {
            expected[u"TYER"] = expected[u"TDRC"];
            expected.erase(u"TDRC");
        }
        EXPECT_EQ(after.Texts, expected);
        // A comment removed leaves none that the reader could show in its place.
        EXPECT_EQ(after.Comment, test.Edits.Texts.count(u"COMM") != 0 ? u"" : before.Comment);
        EXPECT_EQ(after.Year, before.Year);
        EXPECT_EQ(after.TagTypes, test.TagTypes);
        EXPECT_TRUE(Holds(saved.File, test.Kept));
        EXPECT_TRUE(Holds(saved.File, kAudio));
        // Every frame that any of the tags held is there (the front tag's COMM, PRIV and
        // APIC and the other's, the other's title once the front has one).
        if (Holds(test.File, BytesOf("back image"))) {
            for (const char* held : {"back image", "calm", "Mood", "Sort"}) {
                EXPECT_TRUE(HoldsText(saved.File, held)) << held;
            }
        }
        if (Holds(test.File, front3) && Holds(test.File, BytesOf("back image"))) {
            for (const char* held : {"front image", "Other"}) EXPECT_TRUE(Holds(saved.File, BytesOf(held))) << held;
            if (test.Edits.Texts.count(u"COMM") == 0) {
                EXPECT_TRUE(Holds(saved.File, BytesOf("plain")));
                EXPECT_TRUE(HoldsText(saved.File, "described"));
            }
            EXPECT_TRUE(Holds(saved.File, BytesOf("PRIV") + BigEndian(3, 4) + Bytes{0, 0} + BytesOf("b") + Bytes{0, 2}));
            EXPECT_FALSE(Holds(saved.File, BytesOf("Second title")));
            // The UTF-8 artist in UTF-16 for 2.3, the year as TYER.
            EXPECT_TRUE(Holds(saved.File, BytesOf("TPE1") + BigEndian(7, 4) + Bytes{0, 0, 1, 0xFF, 0xFE, 0xE5, 0x65}) ||
                        test.Edits.Texts.count(u"TPE1") != 0);
            EXPECT_TRUE(Holds(saved.File, BytesOf("TYER")));
            EXPECT_FALSE(Holds(saved.File, BytesOf("TDRC")));
        }
    }
}

TEST(Mp3WriterRules, AFrameThatAsksToGoHoldsNoPlaceForTheOtherTagsFrame) {
    const Bytes file = Tag(3, WithStatus(TextFrame(3, "TIT2", "goes"), 0x80)) + Tag(4, TextFrame(4, "TIT2", "stays")) + kAudio;
    const PlannedSave saved = SaveEdits(file, TextEdits({{u"TALB", u"a"}}));
    EXPECT_EQ(ReadMedia(saved.File).Title, u"stays");
}

TEST(Mp3WriterRules, ATagTheWriterCannotWalkIsRefusedAndLeftAsItWas) {
    const Bytes title3 = TextFrame(3, "TIT2", "t"), title4 = TextFrame(4, "TIT2", "t");
    const struct {
        const char* Name;
        Bytes File;
        bool Saved;
    } cases[] = {
        {"2.3 extended header past the tag", Tag(3, BigEndian(100, 4) + Bytes(6, 0) + title3, 0x40) + kAudio, false},
        {"2.4 extended header past the tag", Tag(4, Syncsafe(100) + Bytes{1, 0} + title4, 0x40) + kAudio, false},
        {"a frame that breaks off", Tag(3, title3 + BytesOf("TPE1") + BigEndian(50, 4) + Bytes{0, 0, 0, 'a'}) + kAudio,
         false},
        {"bytes that are no frame", Tag(3, title3 + BytesOf("\x01junk") + Bytes(10, 0)) + kAudio, false},
        {"no frame in the later tag", Tag(3, title3) + Tag(3, BytesOf("\xFF\xFB junk")) + kAudio, false},
        {"no frame in the appended tag", Tag(3, title3) + kAudio + Tag(4, title4 + BytesOf("junk?"), 0x10), false},
        // Not unreadable, but a compressed 2.3 frame has no place beside a 2.4 tag.
        {"a compressed 2.3 frame after a 2.4 tag",
         Tag(4, title4) + Tag(3, Frame(3, "TIT3", BigEndian(5, 4) + BytesOf("zz"), 0x80)) + kAudio, false},
        {"zeros to the end", Tag(3, title3 + Bytes(20, 0)) + kAudio, true},
        {"a frame header's worth of zeros", Tag(4, title4 + Bytes(5, 0)) + kAudio, true},
    };
    for (const auto& test : cases) {
        const PlannedSave saved = SaveEdits(test.File, TextEdits({{u"TALB", u"a"}}));
        EXPECT_EQ(saved.Verdict.Ok(), test.Saved) << test.Name;
        if (test.Saved) continue;
        const bool carried = std::string(test.Name).find("compressed") != std::string::npos;
        EXPECT_EQ(saved.Verdict.Refusal, carried ? SaveRefusal::Unsupported : SaveRefusal::Damaged) << test.Name;
        EXPECT_FALSE(saved.Verdict.Reason.empty()) << test.Name;
        EXPECT_EQ(saved.File, test.File) << test.Name;
    }
}

TEST(Mp3WriterRules, Renamed22FramesAndUnsynchronisedTagsAreWrittenPlain) {
    // 2.2 frames under their 2.3 names (EQU as EQUA, like RVA as RVAD); an unsynchronised
    // 2.4 tag whose frame holds an encoded FF 00, undone once.
    const Bytes adjustment = Bytes{0x10, 0x80, 0x00, 0x01, 0x02};
    const Bytes v22 = Tag(2, TextFrame(2, "TT2", "t") + Frame(2, "EQU", adjustment) + Frame(2, "RVA", adjustment));
    PlannedSave saved = SaveEdits(v22 + kAudio, TextEdits({{u"TALB", u"a"}}));
    EXPECT_TRUE(Holds(saved.File, BytesOf("EQUA") + BigEndian(5, 4) + Bytes{0, 0} + adjustment));
    EXPECT_TRUE(Holds(saved.File, BytesOf("RVAD") + BigEndian(5, 4) + Bytes{0, 0} + adjustment));
    const Bytes title = Bytes{1, 0xFF, 0xFE, 0xFF, 0x00, 'A', 0};
    const Bytes unsynchronised = Tag(4, Frame(4, "TIT2", Unsynchronise(title)), 0x80) + kAudio;
    EXPECT_EQ(ReadMedia(unsynchronised).Title, u"\u00FFA");
    saved = SaveEdits(unsynchronised, TextEdits({{u"TALB", u"a"}}));
    EXPECT_EQ(saved.File[5], 0);
    EXPECT_TRUE(Holds(saved.File, Frame(4, "TIT2", title)));
    EXPECT_EQ(ReadMedia(saved.File).Title, u"\u00FFA");
}
