// Layouts that real encoders, players and taggers left in files over the years, each as
// Python's mutagen reads it (or, where mutagen counts them as audio, with the APE and
// Lyrics3 blocks left out of the playing time).
#include <gtest/gtest.h>

#include "format_test_files.h"

namespace {

// Ten frames of 417 bytes at 128 kbit/s: the playing time of MpegFrames(10) with no header frame.
constexpr double kTenFrames = 10 * 417 * 8 / 128000.0;

Bytes ApeTag(bool withHeader) {
    const Bytes item = BigEndian(0, 0) + Bytes{5, 0, 0, 0, 0, 0, 0, 0} + BytesOf("Title") + Bytes{0} + BytesOf("ape!!");
    const auto part = [&](unsigned char flags) {
        return BytesOf("APETAGEX") + Bytes{0xD0, 0x07, 0, 0} + Bytes{static_cast<unsigned char>(item.size() + 32), 0, 0, 0} +
               Bytes{1, 0, 0, 0} + Bytes{0, 0, 0, flags} + Bytes(8, 0);
    };
    return (withHeader ? part(0xA0) : Bytes()) + item + part(withHeader ? 0x80 : 0);
}

Bytes Lyrics3v2() {
    const std::string fields = "IND00002" "11" "LYR00005" "la la";
    const std::string body = "LYRICSBEGIN" + fields;
    char size[7];
    std::snprintf(size, sizeof size, "%06zu", body.size());
    return BytesOf(body + size + "LYRICS200");
}

Bytes Comment(const std::string& description, const std::string& text) {
    return Frame(3, "COMM", BytesOf(std::string("\0eng", 4) + description + std::string(1, '\0') + text));
}

}  // namespace

TEST(RealWorldLayouts, LeadingTagsBackToBackAreAllPassedTheFirstWinning) {
    const Bytes first = Tag(3, TextFrame(3, "TIT2", "First") + Bytes(50, 0));
    const Bytes second = Tag(4, TextFrame(4, "TIT2", "Second") + TextFrame(4, "TPE1", "Filled"));
    const MediaTags tags = ReadMedia(first + second + Tag(3, TextFrame(3, "TALB", "Third")) + MpegFrames(10));
    EXPECT_EQ(tags.Title, u"First");
    EXPECT_EQ(tags.Artist, u"Filled");
    EXPECT_EQ(tags.Album, u"Third");
    EXPECT_EQ(tags.TagTypes, u"ID3v2.3 ID3v2.4");
    EXPECT_EQ(tags.SampleRate, 44100);
    EXPECT_DOUBLE_EQ(tags.Duration, kTenFrames);
}

TEST(RealWorldLayouts, OddIdentifiersAndHeadersOfOldWriters) {
    // The extended-header flag without an extended header, in both versions that have one.
    for (int version : {3, 4}) {
        const MediaTags tags = ReadMedia(Tag(version, TextFrame(version, "TIT2", "Flagged"), 0x40) + MpegFrames(3));
        EXPECT_EQ(tags.Title, u"Flagged") << version;
    }
    // 2.2 identifiers padded with a zero byte in a 2.3 tag.
    const Bytes padded = TextFrame(3, std::string("TT2\0", 4), "Old") + TextFrame(3, std::string("TP1\0", 4), "Store") +
                         TextFrame(3, std::string("XYZ\0", 4), "?") + TextFrame(3, "TALB", "After");
    MediaTags tags = ReadMedia(Tag(3, padded) + MpegFrames(3));
    EXPECT_EQ(tags.Title, u"Old");
    EXPECT_EQ(tags.Artist, u"Store");
    // An identifier no version knows ends the walk, as a broken frame does.
    EXPECT_EQ(tags.Album, u"");
    // 2.2's sort frames under their later names.
    tags = ReadMedia(Tag(2, TextFrame(2, "TS2", "a2") + TextFrame(2, "TSA", "al") + TextFrame(2, "TSC", "co") +
                                TextFrame(2, "TSP", "pe") + TextFrame(2, "TST", "ti")));
    EXPECT_EQ(TextOf(tags, u"TSO2") + TextOf(tags, u"TSOA") + TextOf(tags, u"TSOC") + TextOf(tags, u"TSOP") +
                  TextOf(tags, u"TSOT"),
              u"a2alcopeti");
}

TEST(RealWorldLayouts, APlainIntegerSizeWinsOverAZeroByteThatIsNotPadding) {
    // 256 bytes written as a plain integer read as 128 syncsafe, where a value separator lies.
    const Bytes body = Bytes{0} + BytesOf(std::string(127, 'a')) + Bytes{0} + BytesOf(std::string(127, 'b'));
    MediaTags tags = ReadMedia(Tag(4, Frame(4, "TIT2", body, 0, true) + TextFrame(4, "TPE1", "Next")) + MpegFrames(3));
    EXPECT_EQ(tags.Title, std::u16string(127, u'a') + u"; " + std::u16string(127, u'b'));
    EXPECT_EQ(tags.Artist, u"Next");
    // Where the zero byte starts padding that runs to the end of the tag, the syncsafe size holds.
    const Bytes text = Bytes{0} + BytesOf(std::string(126, 't'));
    tags = ReadMedia(Tag(4, Frame(4, "TIT2", text) + Bytes(300, 0)) + MpegFrames(3));
    EXPECT_EQ(tags.Title, std::u16string(126, u't'));
}

TEST(RealWorldLayouts, TheCommentIsTheFirstThatIsNoPlayersNote) {
    EXPECT_EQ(ReadMedia(Tag(3, Comment("iTunNORM", " 0000021C") + Comment("iTunSMPB", "x") + Comment("note", "described")))
                  .Comment,
              u"described");
    EXPECT_EQ(ReadMedia(Tag(3, Comment("note", "described") + Comment("", "plain"))).Comment, u"plain");
    EXPECT_EQ(ReadMedia(Tag(3, Comment("iTunPGAP", "0"))).Comment, u"");
}

TEST(RealWorldLayouts, ApeTagsAndLyricsBeforeTheEndAreNotAudio) {
    const Bytes v1 = Id3v1Tag("v1", "artist", 1, 17);
    const Bytes endings[] = {ApeTag(false) + v1, ApeTag(true) + v1, ApeTag(true), Lyrics3v2() + v1,
                             ApeTag(false) + Lyrics3v2() + v1,
                             BytesOf("LYRICSBEGIN" "old lyrics" "LYRICSEND") + v1};
    for (const Bytes& ending : endings) {
        const MediaTags tags = ReadMedia(Tag(3, TextFrame(3, "TIT2", "t")) + MpegFrames(10) + ending);
        EXPECT_DOUBLE_EQ(tags.Duration, kTenFrames) << ending.size();
        EXPECT_EQ(tags.Bitrate, 128);
    }
    // A stray marker inside the audio is audio.
    EXPECT_DOUBLE_EQ(ReadMedia(MpegFrames(10) + BytesOf("LYRICS200") + v1).Duration, (10 * 417 + 9) * 8 / 128000.0);
}
