// Layouts of FLAC, Ogg, RIFF, AIFF, MP4 and ASF files that the tools at hand do not write,
// built here or made from the reference files: the format is known by its bytes alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/container_bytes.h"
#include "format_test_files.h"


TEST(ContainerLayouts, AFileOfNoFormatOpensEmptyAndMarkersAloneMakeNoMp3) {
    const Bytes avi = BytesOf(std::string("RIFF\0\0\0\0AVI ", 12));
    for (const Bytes& file : {BytesOf("plain text, no music"), Bytes{}, BytesOf("fLa"), avi}) {
        const MediaTags tags = ReadMedia(file);
        EXPECT_EQ(tags.Format, u"");
        EXPECT_EQ(tags.TagTypes, u"");
        EXPECT_EQ(tags.SampleRate, 0);
    }
}

TEST(ContainerLayouts, FlacBehindAnId3v2TagIsReadAsFlac) {
    const Bytes flac = FormatFixtureBytes("stereo-44k.flac");
    ASSERT_FALSE(flac.empty());
    const MediaTags tags = ReadMedia(Tag(3, TextFrame(3, "TIT2", "ID3 title") + Bytes(20000, 0)) + flac);
    EXPECT_EQ(tags.Format, u"FLAC");
    EXPECT_EQ(tags.Title, u"Gr\u00FC\u00DFe, \u2603");
    EXPECT_EQ(tags.SampleRate, 44100);
    EXPECT_NEAR(tags.Duration, 2.0, 1e-9);
    // Behind several tags back to back too, so that a save making them one keeps the format.
    const Bytes several = Tag(4, Bytes()) + Tag(3, TextFrame(3, "TIT2", "x") + Bytes(20000, 0)) + Tag(4, Bytes());
    EXPECT_EQ(ReadMedia(several + flac).Format, u"FLAC");
    EXPECT_EQ(ReadMedia(several + Tag(4, Bytes()) + MpegFrames(4)).Format, u"MP3");
}

TEST(ContainerLayouts, FlacWithoutASampleCountGuessesNoLength) {
    const Bytes comments = VorbisComments({"title=one", "TITLE=two", "noequals", "TrackNumber=7/9", "x=" + std::string(3, '\xFF')});
    const Bytes file = BytesOf("fLaC") + FlacBlock(0, FlacStreamInfo(0)) + FlacBlock(4, comments, true) + Bytes(5000, 0x55);
    const MediaTags tags = ReadMedia(file);
    EXPECT_EQ(tags.Format, u"FLAC");
    EXPECT_EQ(tags.SampleRate, 44100);
    EXPECT_EQ(tags.Channels, 2);
    EXPECT_EQ(tags.Duration, 0.0);
    EXPECT_EQ(tags.Bitrate, 0);
    EXPECT_EQ(tags.Title, u"one; two");
    EXPECT_EQ(tags.Track, 7);
    EXPECT_EQ(tags.TrackCount, 9);
    EXPECT_EQ(TextOf(tags, u"tItLe"), u"one; two");
    EXPECT_EQ(TextOf(tags, u"X"), u"\uFFFD\uFFFD\uFFFD");
}

TEST(ContainerLayouts, AFlacPictureThatRunsPastItsBlockIsNotCopied) {
    Bytes picture = FlacPicture(3, Bytes(10, 7));
    picture[picture.size() - 12] = 0x10;  // says 4,106 bytes
    const Bytes file = BytesOf("fLaC") + FlacBlock(0, FlacStreamInfo(44100)) + FlacBlock(6, picture, true) + Bytes(100, 0);
    const MediaTags tags = ReadMedia(file);
    EXPECT_TRUE(tags.HasPicture());
    Bytes image;
    EXPECT_FALSE(CopyPictureBytes(file, tags, image));
    // The block's declared size past the end of the file ends the walk, not the reading.
    const Bytes cut = BytesOf("fLaC") + FlacBlock(0, FlacStreamInfo(44100)) + Bytes{0x84, 0x7F, 0xFF, 0xFF} + Bytes(8, 0);
    EXPECT_EQ(ReadMedia(cut).SampleRate, 44100);
}

TEST(ContainerLayouts, AnOggStreamOfAnotherCodecSaysSoAndGivesNoLength) {
    const Bytes file = OggPage(2, 0, {BytesOf("\x80theora") + Bytes(30, 1)}) +
                       OggPage(0, 0, {BytesOf("\x81theora") + VorbisComments({"TITLE=no"})}) +
                       OggPage(4, 48000, {Bytes(100, 0)});
    const MediaTags tags = ReadMedia(file);
    EXPECT_EQ(tags.Format, u"");
    EXPECT_EQ(tags.TagTypes, u"Ogg");
    EXPECT_EQ(tags.Duration, 0.0);
    EXPECT_EQ(tags.Title, u"");
}

TEST(ContainerLayouts, TheSoundOfAnOggFileOfSeveralStreamsIsRead) {
    // A video stream's first page, the sound's (stream 8), then their headers and data.
    Bytes sound = OggPage(2, 0, {BytesOf("OpusHead") + Bytes{1, 1, 0, 0} + LittleEndian(48000, 4) + Bytes{0, 0, 0}}) +
                  OggPage(0, 0, {BytesOf("OpusTags") + VorbisComments({"TITLE=sound"})}) +
                  OggPage(4, 96000, {Bytes(40, 0)});
    for (size_t page : {size_t{0}, size_t{47}, sound.size() - 68}) sound[page + 14] = 8;  // the serial
    const Bytes video = OggPage(2, 0, {BytesOf("\x80theora") + Bytes(30, 1)});
    const Bytes file = video + Bytes(sound.begin(), sound.begin() + 47) + OggPage(0, 0, {Bytes(9, 2)}) +
                       Bytes(sound.begin() + 47, sound.end()) + OggPage(4, 200000, {Bytes(9, 2)});
    const MediaTags tags = ReadMedia(file);
    EXPECT_EQ(tags.Format, u"Opus");
    EXPECT_EQ(tags.Title, u"sound");
    EXPECT_NEAR(tags.Duration, 2.0, 1e-9);
}

TEST(ContainerLayouts, AnOggCommentHeaderIsReadAcrossPages) {
    const Bytes id = BytesOf("OpusHead") + Bytes{1, 2, 0x38, 0x01} + LittleEndian(44100, 4) + Bytes{0, 0, 0};
    const Bytes comments = BytesOf("OpusTags") + VorbisComments({"X=" + std::string(600, 'x'), "TITLE=across"});
    // 255 bytes a page, each page after the first continuing the packet.
    Bytes pages;
    for (size_t at = 0; at < comments.size(); at += 255) {
        const size_t end = std::min(comments.size(), at + 255);
        pages = pages + OggPage(at == 0 ? 0 : 1, ~0ull, {Bytes(comments.begin() + at, comments.begin() + end)});
    }
    const MediaTags tags = ReadMedia(OggPage(2, 0, {id}) + pages + OggPage(4, 48000 + 312, {Bytes(50, 0)}));
    EXPECT_EQ(tags.Format, u"Opus");
    EXPECT_EQ(tags.Title, u"across");
    EXPECT_EQ(TextOf(tags, u"X"), std::u16string(600, u'x'));
    EXPECT_NEAR(tags.Duration, 1.0, 1e-9);
    EXPECT_EQ(tags.Channels, 2);
}

TEST(ContainerLayouts, WavChunksArePaddedAndASizePastTheEndIsTheFilesSize) {
    const auto chunk = [](const std::string& id, const Bytes& body) { return RiffChunk(id, body); };
    // 8 kHz mono 8-bit PCM; an odd INFO text and its pad byte; data that says 4 GB.
    const Bytes format = LittleEndian(1, 2) + LittleEndian(1, 2) + LittleEndian(8000, 4) + LittleEndian(8000, 4) +
                         LittleEndian(1, 2) + LittleEndian(8, 2);
    const Bytes info = BytesOf("INFO") + chunk("INAM", BytesOf("Odd")) + chunk("IART", BytesOf("Caf\xE9"));
    const Bytes file = BytesOf("RIFF") + LittleEndian(0xFFFFFFFF, 4) + BytesOf("WAVE") + chunk("fmt ", format) +
                       chunk("LIST", info) + BytesOf("data") + LittleEndian(0xFFFFFFF0, 4) + Bytes(4000, 0x80);
    const MediaTags tags = ReadMedia(file);
    EXPECT_EQ(tags.Format, u"WAV");
    EXPECT_EQ(tags.Title, u"Odd");
    EXPECT_EQ(tags.Artist, u"Caf\u00E9");
    EXPECT_EQ(tags.TagTypes, u"RIFF INFO");
    EXPECT_NEAR(tags.Duration, 0.5, 1e-9);
    EXPECT_EQ(tags.Bitrate, 64);
}

TEST(ContainerLayouts, Mp4With64BitSizesAndItsMovieAfterTheMediaData) {
    const Bytes original = FormatFixtureBytes("stereo-44k-aac.m4a");
    const Bytes mdat = BytesOf("mdat");
    const auto found = std::search(original.begin(), original.end(), mdat.begin(), mdat.end());
    ASSERT_NE(found, original.end());
    const size_t at = static_cast<size_t>(found - original.begin()) - 4;
    const uint32_t size = static_cast<uint32_t>(original[at] << 24 | original[at + 1] << 16 | original[at + 2] << 8 |
                                                original[at + 3]);
    const Bytes file = Bytes(original.begin(), original.begin() + at) + BigEndian(1, 4) + mdat + BigEndian(0, 4) +
                       BigEndian(size + 8, 4) + Bytes(original.begin() + at + 8, original.end());
    const MediaTags before = ReadMedia(original), after = ReadMedia(file);
    EXPECT_EQ(after.Title, u"MP4 title");
    EXPECT_EQ(after.Duration, before.Duration);
    EXPECT_NEAR(after.Bitrate, before.Bitrate, 1);
    Bytes image;
    EXPECT_TRUE(CopyPictureBytes(file, after, image));
    EXPECT_EQ(image, FormatFixtureBytes("stereo-44k-aac.m4a.cover"));
}

TEST(ContainerLayouts, Mp4GenreNumbersAndBoxesNestedPastTheDepth) {
    const auto box = Mp4Box;
    auto data = [&](uint32_t type, const Bytes& value) { return box("data", BigEndian(type, 4) + Bytes(4, 0) + value); };
    const Bytes items = box("ilst", box("gnre", data(0, Bytes{0, 18})) + box("trkn", data(0, Bytes{0, 0, 0, 4, 0, 0})) +
                                        box("\xA9nam", data(1, BytesOf("ok"))));
    const Bytes moov = box("moov", box("udta", box("meta", Bytes(4, 0) + items)));
    MediaTags tags = ReadMedia(box("ftyp", BytesOf("M4A ")) + moov);
    EXPECT_EQ(tags.Format, u"MP4");
    EXPECT_EQ(tags.Genre, u"Rock");
    EXPECT_EQ(tags.Track, 4);
    EXPECT_EQ(tags.TrackCount, 0);
    EXPECT_EQ(tags.Title, u"ok");
    // Items are those of moov/udta/meta alone, the list a save edits: an ilst elsewhere
    // (in a track, or a meta at the top) is not read.
    const Bytes stray = box("ilst", box("\xA9nam", data(1, BytesOf("stray"))));
    const Bytes track = box("trak", box("mdia", box("minf", stray)));
    EXPECT_EQ(ReadMedia(box("ftyp", BytesOf("M4A ")) + box("moov", track) + moov).Title, u"ok");
    EXPECT_EQ(ReadMedia(box("ftyp", BytesOf("M4A ")) + box("meta", Bytes(4, 0) + stray) + moov).Title, u"ok");
    Bytes nested = moov;
    for (int i = 0; i < 2000; ++i) nested = box(i % 2 ? "moov" : "udta", nested);
    tags = ReadMedia(box("ftyp", BytesOf("M4A ")) + nested);
    EXPECT_EQ(tags.Format, u"MP4");
    EXPECT_EQ(tags.Title, u"");
}

TEST(ContainerLayouts, FixedSizeWavIsAsLongAsItsDataAndUncompressedAudioHasItsRatesBitrate) {
    // 80-bit extended 44,100 and 8,000 as AIFF keeps its rate.
    const Bytes rate44k = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, rate8k = {0x40, 0x0B, 0xFA, 0, 0, 0, 0, 0, 0, 0};
    auto wav = [](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t declared, size_t held,
                  const Bytes& extra) {
        const uint32_t byteRate = rate * channels * bits / 8;
        const Bytes format = LittleEndian(tag, 2) + LittleEndian(channels, 2) + LittleEndian(rate, 4) +
                             LittleEndian(byteRate, 4) + LittleEndian(channels * bits / 8, 2) + LittleEndian(bits, 2);
        const Bytes body = RiffChunk("fmt ", format) + extra + BytesOf("data") + LittleEndian(declared, 4) + Bytes(held, 0);
        return BytesOf("RIFF") + LittleEndian(body.size() + 4, 4) + BytesOf("WAVE") + body;
    };
    auto aiff = [](const char* type, const Bytes& rate, uint32_t frames, const std::string& compression, size_t held) {
        Bytes common = BigEndian(2, 2) + BigEndian(frames, 4) + BigEndian(16, 2) + rate;
        if (!compression.empty()) common = common + BytesOf(compression) + Bytes{0, 0};
        const Bytes body = RiffChunk("COMM", common, true) + BytesOf("SSND") + BigEndian(frames * 4 + 8, 4) + Bytes(8 + held, 0);
        return BytesOf("FORM") + BigEndian(static_cast<uint32_t>(body.size() + 4), 4) + BytesOf(type) + body;
    };
    const struct {
        const char* Name;
        Bytes File;
        double Duration;
        long Bitrate;
    } cases[] = {
        {"float", wav(3, 2, 8000, 32, 32000, 32000, {}), 0.5, 512},
        {"A-law", wav(6, 1, 8000, 8, 4000, 4000, {}), 0.5, 64},
        {"mu-law", wav(7, 1, 8000, 8, 4000, 4000, {}), 0.5, 64},
        {"PCM cut short", wav(1, 2, 44100, 16, 176400, 1764, {}), 0.01, 1411},
        {"PCM cut at its data", wav(1, 2, 44100, 16, 176400, 0, {}), 0.0, 1411},
        {"ADPCM by its fact", wav(2, 1, 8000, 4, 2048, 2048, RiffChunk("fact", LittleEndian(4000, 4))), 0.5, 33},
        {"AIFF cut short", aiff("AIFF", rate44k, 44100, "", 1000), 1.0, 1411},
        {"AIFF-C sowt", aiff("AIFC", rate44k, 441, "sowt", 1764), 0.01, 1411},
        {"AIFF-C ulaw by its data", aiff("AIFC", rate8k, 4000, "ulaw", 4000), 0.5, 64},
    };
    for (const auto& file : cases) {
        SCOPED_TRACE(file.Name);
        const MediaTags tags = ReadMedia(file.File);
        EXPECT_NEAR(tags.Duration, file.Duration, 1e-9);
        EXPECT_EQ(tags.Bitrate, file.Bitrate);
    }
}
