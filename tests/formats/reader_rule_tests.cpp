// Every branch of the readers' version and encoding rules, each from one table: every MPEG
// version, layer, bitrate and rate as mutagen reads them (make-fixtures.sh), every genre of
// mutagen's list, each text encoding in each tag version, each tag header flag, and frame
// bodies at the boundaries of their smallest sizes.
#include <gtest/gtest.h>

#include <sstream>

#include "format_test_files.h"

namespace {

std::vector<std::string> LinesOf(const Bytes& bytes) {
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class ReaderRules : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FormatFixturesNamed()) << "run through ctest"; }
};

}  // namespace

TEST_F(ReaderRules, EveryMpegVersionLayerBitrateAndRateWithAndWithoutAHeaderFrame) {
    const std::vector<std::string> lines = LinesOf(FormatFixtureBytes("mpeg-manifest.txt"));
    ASSERT_EQ(lines.size(), 384u);
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        std::string name;
        long bitrate = 0, rate = 0, channels = 0;
        double seconds = 0;
        fields >> name >> bitrate >> rate >> channels >> seconds;
        SCOPED_TRACE(name);
        const MediaTags tags = ReadMedia(FormatFixtureBytes(name));
        // A Xing header counts frames the file does not hold: its average bitrate is its own.
        if (name.find("xing") == std::string::npos) EXPECT_EQ(tags.Bitrate, bitrate);
        EXPECT_EQ(tags.SampleRate, rate);
        EXPECT_EQ(tags.Channels, channels);
        EXPECT_NEAR(tags.Duration, seconds, 1e-5);
    }
}

TEST_F(ReaderRules, EveryGenreNumberNamesWhatMutagenNames) {
    std::vector<std::string> genres = LinesOf(FormatFixtureBytes("genres.txt"));
    ASSERT_EQ(genres.size(), 192u);
    // Three names that the lists in use spell differently; these are the ID3v1 list's own
    // and other tag libraries' spellings.
    const std::pair<size_t, const char*> spellings[] = {{40, "Alternative Rock"}, {59, "Gangsta"}, {84, "Fast Fusion"}};
    for (const auto& spelling : spellings) genres[spelling.first] = spelling.second;
    for (size_t number = 0; number < genres.size(); ++number) {
        const std::string reference = "(" + std::to_string(number) + ")";
        EXPECT_EQ(ReadMedia(Tag(3, TextFrame(3, "TCON", reference))).Genre, Widen(genres[number])) << reference;
        EXPECT_EQ(ReadMedia(MakeTag("", "", "", "", "", static_cast<unsigned char>(number))).Genre,
                  Widen(genres[number]));
    }
}

TEST_F(ReaderRules, Every22TextFrameAnswersUnderTheNameMutagenGivesIt) {
    int checked = 0;
    for (const std::string& line : LinesOf(FormatFixtureBytes("frame-ids-22.txt"))) {
        const std::string old = line.substr(0, 3), renamed = line.substr(4);
        if (old[0] != 'T' || renamed[0] != 'T' || old == "TXX") continue;
        EXPECT_EQ(TextOf(ReadMedia(Tag(2, TextFrame(2, old, "v"))), Widen(renamed)), u"v") << old;
        ++checked;
    }
    EXPECT_EQ(checked, 41);
}

TEST_F(ReaderRules, EachTextEncodingInEachTagVersion) {
    // "Gr\u00FC\u00DFe \u2603", and a second value, in each encoding's bytes.
    const struct {
        unsigned char Encoding;
        Bytes Text;
        std::u16string Expected;
    } encodings[] = {
        {0, BytesOf("Gr\xFC\xDF" "e\x93"), u"Gr\u00FC\u00DFe\u0093"},
        {1, Bytes{0xFF, 0xFE, 'G', 0, 0xFC, 0, 0x03, 0x26}, u"G\u00FC\u2603"},
        {1, Bytes{0xFE, 0xFF, 0, 'G', 0, 0xFC, 0x26, 0x03}, u"G\u00FC\u2603"},
        {1, Bytes{'G', 0, 0x03, 0x26}, u"G\u2603"},  // no byte-order mark: little-endian, as Windows writes
        {2, Bytes{0, 'G', 0x26, 0x03, 0xD8, 0x3C, 0xDF, 0xB5}, u"G\u2603\U0001F3B5"},
        {3, BytesOf("G\xC3\xBC\xE2\x98\x83\xF0\x9F\x8E\xB5"), u"G\u00FC\u2603\U0001F3B5"},
        {3, BytesOf("\xEF\xBB\xBF" "G\xC3\xBC"), u"G\u00FC"},
        {3, BytesOf("a\xC3(\xE2\x98\xED\xA0\x80\xF4\x90\x80\x80z"), u"a\uFFFD(\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz"},
    };
    for (int version : {2, 3, 4}) {
        for (const auto& encoding : encodings) {
            const std::string id = version == 2 ? "TT2" : "TIT2";
            const Bytes frame = Frame(version, id, Bytes{encoding.Encoding} + encoding.Text);
            EXPECT_EQ(ReadMedia(Tag(version, frame)).Title, encoding.Expected)
                << "version " << version << ", encoding " << int{encoding.Encoding};
        }
        // Values after a terminator of the encoding's width.
        const Bytes wide = Bytes{1, 0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0};
        EXPECT_EQ(ReadMedia(Tag(version, Frame(version, version == 2 ? "TP1" : "TPE1", wide))).Artist, u"a; b");
    }
}

TEST_F(ReaderRules, EachTagHeaderFlag) {
    const Bytes frames3 = TextFrame(3, "TIT2", "\xFF\xE0 t");
    const Bytes frames4 = TextFrame(4, "TIT2", "\xFF\xE0 t");
    const struct {
        int Version;
        Bytes Body;
        unsigned char Flags;
        std::u16string Title;
        const char16_t* TagTypes;
    } tags[] = {
        {2, Unsynchronise(TextFrame(2, "TT2", "\xFF\xE0 t")), 0x80, u"\u00FF\u00E0 t", u"ID3v2.2"},
        {2, TextFrame(2, "TT2", "zipped"), 0x40, u"", u""},  // compression, which 2.2 never defined
        {3, Unsynchronise(frames3), 0x80, u"\u00FF\u00E0 t", u"ID3v2.3"},
        {3, BigEndian(6, 4) + Bytes(6, 0) + frames3, 0x40, u"\u00FF\u00E0 t", u"ID3v2.3"},
        {3, frames3, 0x20, u"\u00FF\u00E0 t", u"ID3v2.3"},  // experimental
        {4, frames4, 0x80, u"\u00FF\u00E0 t", u"ID3v2.4"},  // 2.4 unsynchronises frame by frame
        // ... so an encoded FF 00 is undone there once (a UTF-16 "\u00FFA").
        {4, Frame(4, "TIT2", Unsynchronise(Bytes{1, 0xFF, 0xFE, 0xFF, 0, 'A', 0})), 0x80, u"\u00FFA", u"ID3v2.4"},
        {4, Syncsafe(6) + Bytes{1, 0} + frames4, 0x40, u"\u00FF\u00E0 t", u"ID3v2.4"},
        {4, frames4, 0x10, u"\u00FF\u00E0 t", u"ID3v2.4"},
        {5, frames4, 0, u"", u""},  // a version nobody knows is passed, not read
    };
    for (const auto& tag : tags) {
        const MediaTags read = ReadMedia(Tag(tag.Version, tag.Body, tag.Flags) + MpegFrames(3));
        EXPECT_EQ(read.Title, tag.Title) << tag.Version << " " << int{tag.Flags};
        EXPECT_EQ(read.TagTypes, tag.TagTypes) << tag.Version << " " << int{tag.Flags};
        EXPECT_DOUBLE_EQ(read.Duration, 3 * 417 * 8 / 128000.0) << tag.Version << " " << int{tag.Flags};
    }
    // The footer flag means nothing before 2.4: no footer is passed over there.
    Bytes flagged = Tag(3, frames3);
    flagged[5] = 0x10;
    EXPECT_DOUBLE_EQ(ReadMedia(flagged + MpegFrames(3)).Duration, 3 * 417 * 8 / 128000.0);
}

TEST_F(ReaderRules, FrameBodiesAtTheBoundsOfTheirSmallestSizes) {
    const struct {
        Bytes Frames;
        std::u16string Title;
        std::u16string Comment;
    } cases[] = {
        {Frame(3, "TIT2", Bytes{}), u"(absent)", u""},       // no encoding byte: no frame
        {Frame(3, "TIT2", Bytes{0}), u"", u""},              // the encoding alone: an empty text
        {Frame(3, "TIT2", Bytes{0, 'x'}), u"x", u""},
        {Frame(3, "COMM", Bytes{0, 'e', 'n'}), u"(absent)", u""},  // shorter than encoding and language
        {Frame(3, "COMM", Bytes{0, 'e', 'n', 'g'}), u"(absent)", u""},
        {Frame(3, "COMM", Bytes{0, 'e', 'n', 'g', 0, 'c'}), u"(absent)", u"c"},
        {Frame(3, "COMM", Bytes{1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'c', 0}), u"(absent)", u"c"},
    };
    for (const auto& frame : cases) {
        const MediaTags tags = ReadMedia(Tag(3, frame.Frames));
        EXPECT_EQ(TextOf(tags, u"TIT2"), frame.Title);
        EXPECT_EQ(tags.Comment, frame.Comment);
    }
    // A picture: its header must be whole (encoding, MIME type, type, description) and an
    // image must follow it.
    const Bytes image = BytesOf("img");
    const Bytes full = PictureBody(3, 3, "d", image);
    for (size_t cut = 1; cut <= full.size(); ++cut) {
        const Bytes file = Tag(3, Frame(3, "APIC", Bytes(full.begin(), full.begin() + static_cast<long>(cut))));
        const MediaTags tags = ReadMedia(file);
        const size_t header = full.size() - image.size();
        Bytes copied;
        EXPECT_EQ(CopyPictureBytes(file, tags, copied), cut > header) << cut;
        EXPECT_EQ(copied, cut > header ? Bytes(image.begin(), image.begin() + static_cast<long>(cut - header)) : Bytes())
            << cut;
    }
    // An ID3v1 tag needs all 128 bytes; it is 1.1 only where a zero byte precedes a track.
    EXPECT_EQ(ReadMedia(MakeTag("whole", "", "", "", "", 0)).Title, u"whole");
    EXPECT_EQ(ReadMedia(MakeTag("", "", "", "", "short", 0)).TagTypes, u"ID3v1");
    const MediaTags longComment = ReadMedia(MakeTag("", "", "", "", std::string(30, 'c'), 0));
    EXPECT_EQ(longComment.Comment, std::u16string(30, u'c'));
    EXPECT_EQ(longComment.TagTypes, u"ID3v1");
    const Bytes v1 = MakeTag("cut", "", "", "", "", 0);
    EXPECT_EQ(ReadMedia(Bytes(v1.begin() + 1, v1.end())).Title, u"");
}

TEST_F(ReaderRules, AXingHeaderCountsFramesOnlyWhereItsFlagsSaySo) {
    // The flags say which fields follow: frames (1), bytes (2), a table (4), a quality (8).
    const double counted = 100 * 1152 / 44100.0;
    const struct {
        uint32_t Flags;
        bool Counted;
    } cases[] = {{1, true}, {3, true}, {0xF, true}, {0, false}, {2, false}, {0xE, false}};
    for (const auto& test : cases) {
        Bytes audio = MpegFrames(10, 100);
        const Bytes flags = BigEndian(test.Flags, 4);
        std::copy(flags.begin(), flags.end(), audio.begin() + 40);
        const double duration = ReadMedia(audio).Duration;
        if (test.Counted) {
            EXPECT_NEAR(duration, counted, 1e-9) << test.Flags;
        } else {
            EXPECT_LT(duration, 0.5) << test.Flags;
        }
    }
}
