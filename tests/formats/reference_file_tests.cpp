// The readers against files that LAME encoded and mutagen tagged (make-fixtures.sh), held
// to what mutagen reads back from the same files.  Where the two differ by design:
// mutagen trims LAME's encoder delay and padding from a duration (the samples LAME notes
// in its header), where the readers count every frame the Xing/Info header counts; so
// durations agree within the delay and padding, a little over two frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "media_file_builder.h"

namespace {

// file -> property -> value, as mutagen read them.
using Manifest = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

Manifest ReadManifest() {
    const Bytes bytes = ReadWholeFile(FormatFixturePath(L"manifest.txt"));
    const std::string utf8(bytes.begin(), bytes.end());
    std::wstring text(utf8.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                        &text[0], static_cast<int>(text.size()))));
    Manifest manifest;
    std::wistringstream lines(text);
    std::wstring line;
    while (std::getline(lines, line)) {
        const size_t tab1 = line.find(L'\t');
        const size_t tab2 = line.find(L'\t', tab1 + 1);
        if (tab2 == std::wstring::npos) continue;
        manifest[line.substr(0, tab1)][line.substr(tab1 + 1, tab2 - tab1 - 1)] = line.substr(tab2 + 1);
    }
    return manifest;
}

// The property as the readers give it, in the manifest's form.
std::wstring PropertyOf(const MediaTags& tags, const std::wstring& name) {
    const std::map<std::wstring, std::wstring> properties = {
        {L"Title", tags.Title}, {L"Artist", tags.Artist}, {L"Album", tags.Album}, {L"AlbumArtist", tags.AlbumArtist},
        {L"Composer", tags.Composer}, {L"Comment", tags.Comment}, {L"Genre", tags.Genre},
        {L"Year", std::to_wstring(tags.Year)}, {L"Track", std::to_wstring(tags.Track)},
        {L"TrackCount", std::to_wstring(tags.TrackCount)}, {L"Disc", std::to_wstring(tags.Disc)},
        {L"DiscCount", std::to_wstring(tags.DiscCount)}, {L"Bitrate", std::to_wstring(tags.Bitrate)},
        {L"SampleRate", std::to_wstring(tags.SampleRate)}, {L"Channels", std::to_wstring(tags.Channels)}};
    if (name.compare(0, 5, L"Text:") == 0) {
        const std::wstring* text = tags.FindText(name.substr(5));
        return text != nullptr ? *text : L"(absent)";
    }
    return properties.count(name) ? properties.at(name) : L"(unknown property)";
}

class ReferenceFiles : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(FormatFixturePath(L"").empty()) << "TARVIK_FORMAT_FIXTURES names no folder: run through ctest";
        manifest_ = ReadManifest();
        ASSERT_EQ(manifest_.size(), 5u) << "the fixtures are missing: make-fixtures.sh did not run";
    }
    Manifest manifest_;
};

}  // namespace

TEST_F(ReferenceFiles, EveryPropertyIsWhatMutagenReads) {
    for (const auto& file : manifest_) {
        SCOPED_TRACE(std::string(file.first.begin(), file.first.end()));
        const MediaTags tags = ReadMedia(FormatFixturePath(file.first));
        for (const auto& property : file.second) {
            if (property.first == L"Duration") {
                // LAME's delay and padding: 576 + 529 samples and less than a frame.
                const double expected = std::wcstod(property.second.c_str(), nullptr);
                const double slack = (1105.0 + 1152) / tags.SampleRate;
                EXPECT_GE(tags.Duration, expected - 0.001);
                EXPECT_LE(tags.Duration, expected + slack);
            } else if (property.first == L"Bitrate" && file.first.compare(0, 3, L"vbr") == 0) {
                // The average over the same bytes and the longer duration.
                const long expected = std::wcstol(property.second.c_str(), nullptr, 10);
                EXPECT_NEAR(tags.Bitrate, expected, expected / 10 + 1);
            } else {
                EXPECT_EQ(PropertyOf(tags, property.first), property.second)
                    << std::string(property.first.begin(), property.first.end());
            }
        }
    }
}

TEST_F(ReferenceFiles, TagTypesAndTheChosenPicture) {
    const struct {
        const wchar_t* File;
        const wchar_t* TagTypes;
        bool HasPicture;
    } files[] = {{L"cbr-stereo-44k.mp3", L"ID3v2.3", true},
                 {L"vbr-mono-22k.mp3", L"ID3v2.4 ID3v1.1", true},
                 {L"vbr-mono-44k.mp3", L"ID3v1.1", false},
                 {L"cbr-mono-22k.mp3", L"", false},
                 {L"cbr-mono-8k.mp3", L"", false}};
    for (const auto& file : files) {
        SCOPED_TRACE(std::string(file.File, file.File + wcslen(file.File)));
        const MediaTags tags = ReadMedia(FormatFixturePath(file.File));
        EXPECT_EQ(tags.TagTypes, file.TagTypes);
        Bytes image;
        EXPECT_EQ(CopyPictureBytes(FormatFixturePath(file.File), tags, image), file.HasPicture);
        // The front cover where there is one (the second picture here), else the first.
        EXPECT_EQ(image, ReadWholeFile(FormatFixturePath(std::wstring(file.File) + L".cover")));
    }
}
