// Ogg files saved by the writer, held to Debian's tools (native only): ogginfo and opusinfo
// find nothing wrong, vorbiscomment, opusinfo and mutagen read the values back, and oggdec
// and opusdec decode the same PCM as before the save.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <string>

#include "format_test_files.h"
#include "planned_save.h"

namespace {

// The command's exit status and what it printed; -1 where it did not end by itself.
std::pair<int, std::string> Output(const std::string& command) {
    std::string output;
    FILE* pipe = popen(("LC_ALL=C.UTF-8 " + command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {-1, output};
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, read);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

bool Has(const std::string& output, const std::string& text) { return output.find(text) != std::string::npos; }

// mutagen's reading: "NAME=value" for each comment, "picture type mime size" for each picture.
const char kMutagenListing[] = R"PY(
import base64, sys, mutagen
from mutagen.flac import Picture
for key, value in mutagen.File(sys.argv[1]).tags:
    if key.upper() == "METADATA_BLOCK_PICTURE":
        picture = Picture(base64.b64decode(value))
        print("picture %d %s %d" % (picture.type, picture.mime, len(picture.data)))
    else:
        print("%s=%s" % (key.upper(), value))
)PY";

// A PNG of one pixel, which opusinfo looks into; bytes after it make the picture large.
const Bytes kOnePixelPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00,
    0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01,
    0x0D, 0x0A, 0x2D, 0xB4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

class OggTools : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(FormatFixturesNamed()) << "run through ctest";
        char folder[] = "/tmp/tarvik-ogg-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        WriteFile(folder_ + "/listing.py", Bytes(kMutagenListing, kMutagenListing + sizeof kMutagenListing - 1));
    }
    void TearDown() override { Output("rm -rf '" + folder_ + "'"); }

    bool Opus() const { return Has(GetParam(), ".opus"); }

    // The PCM the codec's decoder makes of the file.
    std::string Decoded(const Bytes& file, const std::string& name) {
        const std::string in = folder_ + "/" + name + (Opus() ? ".opus" : ".ogg"), out = folder_ + "/" + name + ".wav";
        WriteFile(in, file);
        EXPECT_EQ(Output(Opus() ? "opusdec --quiet --no-dither '" + in + "' '" + out + "'"
                                : "oggdec --quiet -o '" + out + "' '" + in + "'").first, 0);
        std::ifstream wav(out, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(wav), std::istreambuf_iterator<char>());
    }

    // The tools' checks of the saved file; what the comment lister and mutagen read of it.
    std::string ToolsRead(const Bytes& saved, const Bytes& original) {
        const std::string path = folder_ + (Opus() ? "/saved.opus" : "/saved.ogg");
        WriteFile(path, saved);
        for (const char* tool : {"ogginfo", Opus() ? "opusinfo" : "ogginfo"}) {
            const auto checked = Output(std::string(tool) + " '" + path + "'");
            EXPECT_EQ(checked.first, 0) << tool;
            EXPECT_FALSE(Has(checked.second, "WARNING") || Has(checked.second, "ERROR"))
                << checked.second.substr(0, 3000);
        }
        EXPECT_EQ(Decoded(saved, "after"), Decoded(original, "before"));
        const auto listed = Output((Opus() ? "opusinfo '" : "vorbiscomment -l -R '") + path + "'");
        const auto read = Output("/usr/bin/python3 '" + folder_ + "/listing.py' '" + path + "'");
        EXPECT_EQ(read.first, 0) << read.second;
        return listed.second + "\n--\n" + read.second;
    }

    std::string folder_;
};

TEST_P(OggTools, SavedFilesPassTheToolsReadBackAndDecodeAlike) {
    const Bytes original = FormatFixtureBytes(GetParam());
    TagEdits edits = TextEdits({{u"TITLE", u"Caf\u00E9 \u00FCber"}, {u"ARTIST", u"\u6771\u4EAC\u4E8B\u5909"},
                                {u"ALBUM", u"Clef \U0001D11E sign"}, {u"GENRE", u"Rock; Jazz"}});
    edits.RemovePictures = true;
    edits.Cover = {kOnePixelPng + Bytes(200000, 0x42), "image/png"};
    const PlannedSave pictured = SaveEdits(original, edits);
    ASSERT_TRUE(pictured.Verdict.Ok());
    const std::string read = ToolsRead(pictured.File, original);
    const std::string mutagen = read.substr(read.find("\n--\n"));
    for (const std::string line : {"TITLE=Caf\u00E9 \u00FCber", "ARTIST=\u6771\u4EAC\u4E8B\u5909",
                                   "ALBUM=Clef \U0001D11E sign", "GENRE=Rock", "GENRE=Jazz"}) {
        EXPECT_TRUE(Has(read.substr(0, read.size() - mutagen.size()), line)) << line << "\n" << read.substr(0, 2000);
        EXPECT_TRUE(Has(mutagen, line + "\n")) << line << "\n" << mutagen.substr(0, 2000);
    }
    EXPECT_TRUE(Has(mutagen, "picture 3 image/png 200067\n")) << mutagen.substr(0, 2000);

    // The picture removed: fewer header pages again, the pages after them renumbered back.
    TagEdits remove;
    remove.RemovePictures = true;
    const PlannedSave bare = SaveEdits(pictured.File, remove);
    ASSERT_TRUE(bare.Verdict.Ok());
    const std::string after = ToolsRead(bare.File, original);
    EXPECT_FALSE(Has(after, "picture "));
    EXPECT_TRUE(Has(after, "TITLE=Caf\u00E9 \u00FCber\n"));
}

INSTANTIATE_TEST_SUITE_P(Codecs, OggTools, ::testing::Values("stereo-44k.ogg", "mono-48k.opus"),
                         [](const ::testing::TestParamInfo<const char*>& codec) {
                             return std::string(codec.index == 0 ? "Vorbis" : "Opus");
                         });

}  // namespace
