// The readers against files that LAME, flac, oggenc, opusenc, sox and ffmpeg encoded and
// mutagen tagged (make-fixtures.sh), held to what mutagen reads back from the same files.
// Where the two differ by design, for MP3:
// mutagen trims LAME's encoder delay and padding from a duration (the samples LAME notes
// in its header), where the readers count every frame the Xing/Info header counts; so
// durations agree within the delay and padding, a little over two frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "format_test_files.h"
#include "formats/utf8_text.h"

namespace {

// file -> property -> value, as mutagen read them.
using Manifest = std::map<std::string, std::map<std::string, std::u16string>>;

Manifest ReadManifest() {
    const Bytes bytes = FormatFixtureBytes("manifest.txt");
    const std::string text(bytes.begin(), bytes.end());
    Manifest manifest;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t tab1 = line.find('\t');
        const size_t tab2 = line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos) continue;
        const std::string value = line.substr(tab2 + 1);
        manifest[line.substr(0, tab1)][line.substr(tab1 + 1, tab2 - tab1 - 1)] =
            DecodeUtf8(reinterpret_cast<const uint8_t*>(value.data()), value.size());
    }
    return manifest;
}

// The property as the readers give it, in the manifest's form.
std::u16string PropertyOf(const MediaTags& tags, const std::string& name) {
    const std::map<std::string, std::u16string> properties = {
        {"Title", tags.Title}, {"Artist", tags.Artist}, {"Album", tags.Album}, {"AlbumArtist", tags.AlbumArtist},
        {"Composer", tags.Composer}, {"Comment", tags.Comment}, {"Genre", tags.Genre},
        {"Year", DecimalText(tags.Year)}, {"Track", DecimalText(tags.Track)},
        {"TrackCount", DecimalText(tags.TrackCount)}, {"Disc", DecimalText(tags.Disc)},
        {"DiscCount", DecimalText(tags.DiscCount)}, {"Bitrate", DecimalText(tags.Bitrate)},
        {"SampleRate", DecimalText(tags.SampleRate)}, {"Channels", DecimalText(tags.Channels)},
        {"TagTypes", tags.TagTypes}, {"Format", tags.Format}};
    if (name.compare(0, 5, "Text:") == 0) {
        return TextOf(tags, DecodeUtf8(reinterpret_cast<const uint8_t*>(name.data()) + 5, name.size() - 5));
    }
    return properties.count(name) ? properties.at(name) : u"(unknown property)";
}

double NumberOf(const std::u16string& text) { return std::strtod(std::string(text.begin(), text.end()).c_str(), nullptr); }

bool IsMp3(const std::string& file) { return file.size() > 4 && file.compare(file.size() - 4, 4, ".mp3") == 0; }

// The seconds a duration may differ by: LAME's delay and padding (576 + 529 samples and
// less than a frame) for MP3; the other formats count their samples exactly.
double DurationSlack(const std::string& file, const MediaTags& tags) {
    return IsMp3(file) ? (1105.0 + 1152) / tags.SampleRate : 0.001;
}

class ReferenceFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FormatFixturesNamed()) << "TARVIK_FORMAT_FIXTURES names no folder: run through ctest";
        manifest_ = ReadManifest();
        ASSERT_EQ(manifest_.size(), 19u) << "the fixtures are missing: make-fixtures.sh did not run";
    }
    Manifest manifest_;
};

}  // namespace

TEST_F(ReferenceFiles, EveryPropertyIsWhatMutagenReads) {
    for (const auto& file : manifest_) {
        SCOPED_TRACE(file.first);
        const MediaTags tags = ReadMedia(FormatFixtureBytes(file.first));
        for (const auto& property : file.second) {
            if (property.first == "Duration") {
                const double expected = NumberOf(property.second);
                EXPECT_GE(tags.Duration, expected - 0.001);
                EXPECT_LE(tags.Duration, expected + DurationSlack(file.first, tags));
            } else if (property.first == "Bitrate" && file.first.compare(0, 3, "vbr") == 0) {
                // The average over the same bytes and the longer duration.
                const long expected = std::lround(NumberOf(property.second));
                EXPECT_NEAR(tags.Bitrate, expected, expected / 10 + 1);
            } else {
                EXPECT_EQ(PropertyOf(tags, property.first), property.second) << property.first;
            }
        }
    }
}

TEST_F(ReferenceFiles, TagTypesAndTheChosenPicture) {
    const struct {
        const char* File;
        const char16_t* TagTypes;
        bool HasPicture;
    } files[] = {{"cbr-stereo-44k.mp3", u"ID3v2.3", true},
                 {"vbr-mono-22k.mp3", u"ID3v2.4 ID3v1.1", true},
                 {"vbr-mono-44k.mp3", u"ID3v1.1", false},
                 {"cbr-mono-22k.mp3", u"", false},
                 {"cbr-mono-8k.mp3", u"", false},
                 {"stereo-44k.flac", u"FLAC", true},
                 {"mono-48k.flac", u"FLAC", false},
                 {"stereo-44k.ogg", u"Vorbis", true},
                 {"mono-48k.opus", u"Opus", false},
                 {"stereo-44k.oga", u"FLAC", false},
                 {"stereo-44k-id3.wav", u"ID3v2.3", true},
                 {"stereo-44k.aiff", u"ID3v2.3", true},
                 {"mono-22k-info-id3.wav", u"RIFF INFO ID3v2.3", false},
                 {"stereo-44k-aac.m4a", u"MP4", true},
                 {"mono-22k-alac.m4a", u"MP4", false},
                 {"stereo-44k.wma", u"ASF", true},
                 {"mono-22k.wma", u"ASF", false}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.File);
        const Bytes bytes = FormatFixtureBytes(file.File);
        const MediaTags tags = ReadMedia(bytes);
        EXPECT_EQ(tags.TagTypes, file.TagTypes);
        Bytes image;
        EXPECT_EQ(CopyPictureBytes(bytes, tags, image), file.HasPicture);
        // The front cover where there is one (the second picture here), else the first.
        EXPECT_EQ(image, FormatFixtureBytes(std::string(file.File) + ".cover"));
    }
}
