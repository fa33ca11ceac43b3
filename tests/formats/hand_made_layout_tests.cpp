// Byte layouts that the tools at hand cannot write, built here: 2.2, unsynchronisation of
// the whole tag and of single frames, data length indicators, plain-integer 2.4 sizes,
// extended headers, padding, an appended tag, a tag that runs past the end of the file;
// and the text, genre, year and audio rules a script sees.
#include <gtest/gtest.h>

#include <cmath>

#include "format_test_files.h"
#include "formats/mpeg/audio_properties.h"

namespace {

const Bytes kImage = BytesOf("\x89PNG\xFF\x00\xFF\xE0 image \xFF");

class HandMadeLayouts : public testing::Test {
protected:
    MediaTags Read(const Bytes& file) {
        file_ = file;
        return ReadMedia(file);
    }
    Bytes Picture(const MediaTags& tags) {
        Bytes image;
        EXPECT_TRUE(CopyPictureBytes(file_, tags, image));
        return image;
    }

    Bytes file_;
};

}  // namespace

TEST_F(HandMadeLayouts, Version22MapsItsThreeLetterFrames) {
    const Bytes frames = TextFrame(2, "TT2", "Title") + TextFrame(2, "TP1", "Artist") + TextFrame(2, "TYE", "1999") +
                         TextFrame(2, "TCO", "(17)") + TextFrame(2, "TRK", "3/12") + TextFrame(2, "TBP", "120") +
                         Frame(2, "TXX", BytesOf(std::string("\0Mood\0calm", 10))) +
                         Frame(2, "COM", BytesOf(std::string("\0engnote\0described", 18))) +
                         Frame(2, "COM", BytesOf(std::string("\0eng\0comment", 12))) +
                         Frame(2, "PIC", PictureBody(2, 3, "cover", kImage));
    const MediaTags tags = Read(Tag(2, frames) + MpegFrames(3));
    EXPECT_EQ(tags.TagTypes, u"ID3v2.2");
    EXPECT_EQ(tags.Title, u"Title");
    EXPECT_EQ(tags.Artist, u"Artist");
    EXPECT_EQ(tags.Year, 1999);
    EXPECT_EQ(tags.Genre, u"Rock");
    EXPECT_EQ(tags.Track, 3);
    EXPECT_EQ(tags.TrackCount, 12);
    EXPECT_EQ(tags.Comment, u"comment");
    EXPECT_EQ(TextOf(tags, u"TBPM"), u"120");
    EXPECT_EQ(TextOf(tags, u"TYER"), u"1999");
    EXPECT_EQ(TextOf(tags, u"TXXX:Mood"), u"calm");
    EXPECT_EQ(Picture(tags), kImage);
    EXPECT_EQ(tags.SampleRate, 44100);
    // A file that has changed since gives no picture.
    Bytes image;
    EXPECT_FALSE(CopyPictureBytes(Tag(2, frames) + MpegFrames(4), tags, image));
}

TEST_F(HandMadeLayouts, WholeTagUnsynchronisationIsUndone) {
    for (int version : {2, 3}) {
        const std::string title = "\xFF\xE0 sync \xFF";
        const std::string id = version == 2 ? "TT2" : "TIT2";
        const Bytes frames = TextFrame(version, id, title) + Frame(version, version == 2 ? "PIC" : "APIC",
                                                                   PictureBody(version, 0, "", kImage)) +
                             TextFrame(version, version == 2 ? "TAL" : "TALB", "\xFF");
        const MediaTags tags = Read(Tag(version, Unsynchronise(frames), 0x80) + MpegFrames(3));
        EXPECT_EQ(tags.Title, std::u16string(u"\xFF\xE0 sync \xFF"));
        EXPECT_EQ(tags.Album, std::u16string(u"\xFF"));
        EXPECT_EQ(Picture(tags), kImage);
        EXPECT_EQ(tags.SampleRate, 44100);
    }
}

TEST_F(HandMadeLayouts, Version24FrameUnsynchronisationAndDataLength) {
    const Bytes text = Bytes{0} + BytesOf("\xFF\xE0 title");
    const Bytes picture = PictureBody(4, 3, "", kImage);
    // Flags: data length indicator (0x01) and unsynchronisation (0x02); the indicator first.
    const Bytes frames = Frame(4, "TIT2", Syncsafe(static_cast<uint32_t>(text.size())) + Unsynchronise(text), 0x03) +
                         Frame(4, "APIC", Syncsafe(static_cast<uint32_t>(picture.size())) + Unsynchronise(picture),
                               0x03) +
                         Frame(4, "TALB", Unsynchronise(Bytes{0} + BytesOf("\xFF album")), 0x02);
    const MediaTags tags = Read(Tag(4, frames) + MpegFrames(3));
    EXPECT_EQ(tags.Title, std::u16string(u"\xFF\xE0 title"));
    EXPECT_EQ(tags.Album, std::u16string(u"\xFF album"));
    EXPECT_EQ(Picture(tags), kImage);
}

TEST_F(HandMadeLayouts, Version24PlainIntegerSizesAreTakenWhereTheyLeadToTheNextFrame) {
    const std::string longText(300, 'x');
    // 300 written plainly is 0x0000012C; read as syncsafe it would be 172.
    const Bytes frames = Frame(4, "TIT2", Bytes{0} + BytesOf(longText), 0, true) + TextFrame(4, "TPE1", "Artist") +
                         Frame(4, "TALB", Bytes{0} + BytesOf(std::string(200, 'a')), 0, true);
    const MediaTags tags = Read(Tag(4, frames + Bytes(20, 0)) + MpegFrames(3));
    EXPECT_EQ(tags.Title, std::u16string(300, u'x'));
    EXPECT_EQ(tags.Artist, u"Artist");
    EXPECT_EQ(tags.Album, std::u16string(200, u'a'));
}

TEST_F(HandMadeLayouts, ExtendedHeadersAndPaddingArePassed) {
    // 2.3: size 6 without itself, flags, padding size; 2.4: syncsafe size with itself.
    const Bytes extended3 = BigEndian(6, 4) + Bytes{0, 0} + BigEndian(100, 4);
    const Bytes extended4 = Syncsafe(6) + Bytes{1, 0};
    for (int version : {3, 4}) {
        const Bytes body = (version == 3 ? extended3 : extended4) + TextFrame(version, "TIT2", "Title") +
                           Bytes(100, 0) + TextFrame(version, "TPE1", "after the padding");
        const MediaTags tags = Read(Tag(version, body, 0x40) + MpegFrames(3));
        EXPECT_EQ(tags.Title, u"Title");
        EXPECT_EQ(tags.Artist, u"");
        EXPECT_EQ(tags.SampleRate, 44100);
    }
}

TEST_F(HandMadeLayouts, AnAppendedTagIsReadBeforeAnId3v1TagOrAtTheEnd) {
    const Bytes appended = Tag(4, TextFrame(4, "TIT2", "Appended") + TextFrame(4, "TALB", "Appended album"), 0x10);
    const Bytes leading = Tag(3, TextFrame(3, "TIT2", "Leading"));
    MediaTags tags = Read(leading + MpegFrames(4) + appended + Id3v1Tag("v1 title", "v1 artist", 9, 8));
    EXPECT_EQ(tags.TagTypes, u"ID3v2.3 ID3v2.4 ID3v1.1");
    EXPECT_EQ(tags.Title, u"Leading");
    EXPECT_EQ(tags.Album, u"Appended album");
    EXPECT_EQ(tags.Artist, u"v1 artist");
    EXPECT_EQ(tags.Genre, u"Jazz");
    EXPECT_EQ(tags.Track, 9);
    // The audio ends where the appended tag starts: four frames, no more.
    const double fourFrames = 4 * 417 * 8 / 128000.0;
    EXPECT_NEAR(tags.Duration, fourFrames, 1e-9);

    tags = Read(MpegFrames(4) + appended);
    EXPECT_EQ(tags.TagTypes, u"ID3v2.4");
    EXPECT_EQ(tags.Title, u"Appended");
    EXPECT_NEAR(tags.Duration, fourFrames, 1e-9);
}

TEST_F(HandMadeLayouts, ATagThatRunsPastTheEndOfTheFileYieldsTheFramesInside) {
    const Bytes frames = TextFrame(3, "TIT2", "Inside") + TextFrame(3, "TPE1", "Cut off here");
    const Bytes file = Tag(3, frames, 0, 100000);
    const MediaTags tags = Read(Bytes(file.begin(), file.end() - 4));
    EXPECT_EQ(tags.Title, u"Inside");
    EXPECT_EQ(tags.Artist, u"");
    EXPECT_EQ(tags.SampleRate, 0);
}

TEST_F(HandMadeLayouts, TextEncodingsAndValues) {
    const Bytes utf16 = Bytes{1, 0xFF, 0xFE, 'A', 0, 0, 0, 0xFE, 0xFF, 0, 'B'};  // two values, each with a BOM
    const Bytes utf16be = Bytes{2, 0x26, 0x03, 0, 'z'};
    const Bytes utf8 = Bytes{3} + BytesOf(std::string("\xC3\xBC\0\xE2\x98\x83", 6));
    const Bytes frames = TextFrame(4, "TIT2", "\x93quoted\x94") + Frame(4, "TPE1", utf16) +
                         Frame(4, "TALB", utf16be) + Frame(4, "TCOM", utf8) +
                         Frame(4, "TBPM", Bytes{9, '1'});  // an unknown encoding: no frame
    const MediaTags tags = Read(Tag(4, frames));
    EXPECT_EQ(tags.Title, std::u16string(u"\x0093quoted\x0094"));
    EXPECT_EQ(tags.Artist, u"A; B");
    EXPECT_EQ(tags.Album, std::u16string(u"\x2603z"));
    EXPECT_EQ(tags.Composer, std::u16string(u"\x00FC; \x2603"));
    EXPECT_EQ(tags.FindText(u"TBPM"), nullptr);
}

TEST_F(HandMadeLayouts, GenreReferencesAndTheYearFrameOfEachVersion) {
    const struct {
        const char* Text;
        const char16_t* Genre;
    } genres[] = {{"17", u"Rock"},        {"(17)Rock", u"Rock"}, {"(RX)", u"Remix"}, {"(CR)", u"Cover"},
                  {"(17)(18)", u"Rock; Techno"}, {"((odd)", u"(odd)"}, {"Folk", u"Folk"}, {"(191)", u"Psybient"},
                  {"(192)", u"(192)"}};
    for (const auto& genre : genres) {
        EXPECT_EQ(Read(Tag(3, TextFrame(3, "TCON", genre.Text))).Genre, genre.Genre) << genre.Text;
    }
    EXPECT_EQ(Read(Tag(4, Frame(4, "TCON", BytesOf(std::string("\0" "17\0RX\0Rock", 11))))).Genre, u"Rock; Remix");
    // Year: TDRC in 2.4, TYER in 2.3 first, the other version's frame where that is missing.
    EXPECT_EQ(Read(Tag(4, TextFrame(4, "TYER", "1990") + TextFrame(4, "TDRC", "2004-05-06"))).Year, 2004);
    EXPECT_EQ(Read(Tag(4, TextFrame(4, "TYER", "1990"))).Year, 1990);
    EXPECT_EQ(Read(Tag(3, TextFrame(3, "TDRC", "2004") + TextFrame(3, "TYER", "1990"))).Year, 1990);
    EXPECT_EQ(Read(Tag(3, TextFrame(3, "TDRC", "2004"))).Year, 2004);
    EXPECT_EQ(Read(Tag(3, TextFrame(3, "TYER", "99"))).Year, 0);
}

TEST_F(HandMadeLayouts, OversizedTextFramesAndFramesPastTheLimitsAreNotKept) {
    MediaTags tags = Read(Tag(3, TextFrame(3, "TIT2", std::string(1024 * 1024, 't')) + TextFrame(3, "TPE1", "a")));
    EXPECT_EQ(tags.Title, u"");
    EXPECT_EQ(tags.Artist, u"a");
    Bytes many;
    for (int i = 0; i < 5000; ++i) {
        many = std::move(many) + Frame(3, "TXXX", BytesOf(std::string("\0d", 2) + std::to_string(i)));
    }
    tags = Read(Tag(3, many + TextFrame(3, "TIT2", "late")));
    EXPECT_EQ(tags.Texts.size(), 4096u);
    EXPECT_EQ(tags.Title, u"");
}

TEST_F(HandMadeLayouts, CompressedAndEncryptedFramesAreSkipped) {
    const Bytes frames = Frame(3, "TIT2", Bytes{0} + BytesOf("zipped"), 0x80) +
                         Frame(3, "TPE1", Bytes{0} + BytesOf("secret"), 0x40) +
                         Frame(3, "TALB", Bytes{7} + Bytes{0} + BytesOf("grouped"), 0x20);
    const MediaTags tags = Read(Tag(3, frames));
    EXPECT_EQ(tags.Title, u"");
    EXPECT_EQ(tags.Artist, u"");
    EXPECT_EQ(tags.Album, u"grouped");
    const MediaTags tags4 = Read(Tag(4, Frame(4, "TIT2", Bytes{0} + BytesOf("zipped"), 0x08) +
                                            Frame(4, "TALB", Bytes{0} + BytesOf("album"))));
    EXPECT_EQ(tags4.Title, u"");
    EXPECT_EQ(tags4.Album, u"album");
}

TEST_F(HandMadeLayouts, AudioFramesAreConfirmedByTheNextOne) {
    // Junk with a valid-looking header whose next frame is not there, then real frames.
    const Bytes junk = Bytes{0xFF, 0xFB, 0x90, 0x40} + Bytes(600, 0x11);
    MediaTags tags = Read(Tag(3, TextFrame(3, "TIT2", "t")) + junk + MpegFrames(10));
    EXPECT_EQ(tags.Bitrate, 128);
    EXPECT_EQ(tags.Channels, 2);
    EXPECT_NEAR(tags.Duration, 10 * 417 * 8 / 128000.0, 1e-9);
    // A Xing header's frame count gives the duration, and the average bitrate.
    tags = Read(MpegFrames(10, 100));
    EXPECT_NEAR(tags.Duration, 100 * 1152 / 44100.0, 1e-9);
    EXPECT_EQ(tags.Bitrate, std::lround(10 * 417 * 8 / (100 * 1152 / 44100.0) / 1000));
    tags = Read(MpegFrames(10, 100, "Info"));
    EXPECT_EQ(tags.Bitrate, 128);
    // Fraunhofer's VBRI header, 32 bytes after the frame header, counts frames 14 bytes in.
    Bytes vbri = MpegFrames(10);
    const Bytes counted = BytesOf("VBRI") + Bytes(10, 0) + BigEndian(50, 4);
    std::copy(counted.begin(), counted.end(), vbri.begin() + 36);
    EXPECT_NEAR(Read(vbri).Duration, 50 * 1152 / 44100.0, 1e-9);
    // No frame within the search window: no audio.
    tags = Read(Bytes(70 * 1024, 0) + MpegFrames(10));
    EXPECT_EQ(tags.SampleRate, 0);
    EXPECT_EQ(tags.Duration, 0);
}

TEST_F(HandMadeLayouts, TheFirstFrameIsFoundAnywhereInTheSearchWindow) {
    // Behind junk with no 0xFF and past the first read, at the window's last byte, or
    // just beyond it; stray 0xFF bytes before it start no frame.
    const Bytes strays = Bytes{0xFF, 0x00, 0xFF, 0xFF, 0xE0} + Bytes(20000, 0x11);
    EXPECT_NEAR(Read(strays + MpegFrames(3)).Duration, 3 * 417 * 8 / 128000.0, 1e-9);
    EXPECT_EQ(Read(Bytes(kFrameSearchWindow - 1, 0x11) + MpegFrames(3)).SampleRate, 44100);
    EXPECT_EQ(Read(Bytes(kFrameSearchWindow, 0x11) + MpegFrames(3)).SampleRate, 0);
}
