// Ogg files saved by the writer, held to the Xiph tools and mutagen (native only: they run
// Debian's programs): ogginfo and opusinfo find nothing wrong, vorbiscomment, opusinfo and
// mutagen read the values back, and oggdec and opusdec decode the same PCM as before.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "format_test_files.h"
#include "planned_save.h"

namespace {

struct ToolRun {
    int Status = -1;
    std::string Output;
};

ToolRun RunCommand(const std::string& command) {
    ToolRun run;
    FILE* pipe = popen(("LC_ALL=C.UTF-8 " + command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Output.append(buffer, read);
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

bool Mentions(const std::string& output, const std::string& text) { return output.find(text) != std::string::npos; }

// mutagen's reading: every comment but the pictures "NAME=value", each picture "picture
// type mime size".
const char kMutagenListing[] = R"PY(
import base64, sys, mutagen
from mutagen.flac import Picture
audio = mutagen.File(sys.argv[1])
for key, value in audio.tags:
    if key.upper() == "METADATA_BLOCK_PICTURE":
        picture = Picture(base64.b64decode(value))
        print("picture %d %s %d" % (picture.type, picture.mime, len(picture.data)))
    else:
        print("%s=%s" % (key.upper(), value))
)PY";

// A PNG of one pixel, which opusinfo looks into; the bytes after it make the picture large.
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
    void TearDown() override { RunCommand("rm -rf '" + folder_ + "'"); }

    bool Opus() const { return std::string(GetParam()).find(".opus") != std::string::npos; }

    // The decoded PCM of a file's bytes.
    Bytes Decoded(const Bytes& file, const std::string& name) {
        const std::string in = folder_ + "/" + name + (Opus() ? ".opus" : ".ogg"), out = folder_ + "/" + name + ".wav";
        WriteFile(in, file);
        const ToolRun run = RunCommand(Opus() ? "opusdec --quiet --no-dither '" + in + "' '" + out + "'"
                                          : "oggdec --quiet -o '" + out + "' '" + in + "'");
        EXPECT_EQ(run.Status, 0) << run.Output;
        return ReadFile(out);
    }

    // Writes the saved file and holds it to the tools: every check, and the listings to look in.
    void ExpectToolsContent(const Bytes& saved, const Bytes& original, std::string* comments, std::string* mutagen) {
        const std::string path = folder_ + (Opus() ? "/saved.opus" : "/saved.ogg");
        WriteFile(path, saved);
        for (const std::string& tool : {std::string("ogginfo"), std::string(Opus() ? "opusinfo" : "")}) {
            if (tool.empty()) continue;
            const ToolRun run = RunCommand(tool + " '" + path + "'");
            EXPECT_EQ(run.Status, 0) << tool << run.Output.substr(0, 2000);
            EXPECT_FALSE(Mentions(run.Output, "WARNING") || Mentions(run.Output, "ERROR"))
                << tool << run.Output.substr(0, 2000);
        }
        const ToolRun listing = RunCommand(Opus() ? "opusinfo '" + path + "'" : "vorbiscomment -l -R '" + path + "'");
        EXPECT_EQ(listing.Status, 0);
        *comments = listing.Output;
        const ToolRun read = RunCommand("/usr/bin/python3 '" + folder_ + "/listing.py' '" + path + "'");
        EXPECT_EQ(read.Status, 0) << read.Output;
        *mutagen = read.Output;
        EXPECT_EQ(Decoded(saved, "after"), Decoded(original, "before"));
    }

    std::string folder_;
};

TEST_P(OggTools, SavedFilesPassTheToolsReadBackAndDecodeAlike) {
    const Bytes original = FormatFixtureBytes(GetParam());
    ASSERT_FALSE(original.empty());
    TagEdits edits = TextEdits({{u"TITLE", u"Caf\u00E9 \u00FCber"},
                                {u"ARTIST", u"\u6771\u4EAC\u4E8B\u5909"},
                                {u"ALBUM", u"Clef \U0001D11E sign"},
                                {u"GENRE", u"Rock; Jazz"}});
    edits.RemovePictures = true;
    edits.Cover.Bytes = kOnePixelPng + Bytes(200000, 0x42);
    edits.Cover.MimeType = "image/png";
    const PlannedSave pictured = SaveEdits(original, edits);
    ASSERT_TRUE(pictured.Verdict.Ok());
    std::string comments, mutagen;
    ExpectToolsContent(pictured.File, original, &comments, &mutagen);
    for (const std::string& line : {"TITLE=Caf\u00E9 \u00FCber", "ARTIST=\u6771\u4EAC\u4E8B\u5909",
                                    "ALBUM=Clef \U0001D11E sign", "GENRE=Rock", "GENRE=Jazz"}) {
        EXPECT_TRUE(Mentions(comments, line)) << line << "\n" << comments.substr(0, 2000);
        EXPECT_TRUE(Mentions(mutagen, line + "\n")) << line << "\n" << mutagen.substr(0, 2000);
    }
    EXPECT_TRUE(Mentions(mutagen, "picture 3 image/png 200067\n")) << mutagen.substr(0, 2000);
    EXPECT_FALSE(Mentions(mutagen, "GENRE=Rock; Jazz"));

    // The pictures removed: the header pages fewer again, the rest renumbered back.
    TagEdits remove;
    remove.RemovePictures = true;
    const PlannedSave bare = SaveEdits(pictured.File, remove);
    ASSERT_TRUE(bare.Verdict.Ok());
    ExpectToolsContent(bare.File, original, &comments, &mutagen);
    EXPECT_FALSE(Mentions(mutagen, "picture "));
    EXPECT_TRUE(Mentions(mutagen, "TITLE=Caf\u00E9 \u00FCber\n"));
}

INSTANTIATE_TEST_SUITE_P(Codecs, OggTools, ::testing::Values("stereo-44k.ogg", "mono-48k.opus"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.index == 0 ? "Vorbis" : "Opus");
                         });

// A chain of a Vorbis and an Opus link: the first edited, the tools content with both.
TEST(OggChainTools, ChainedFilePassesOgginfo) {
    ASSERT_TRUE(FormatFixturesNamed()) << "run through ctest";
    const Bytes chained = FormatFixtureBytes("stereo-44k.ogg") + FormatFixtureBytes("mono-48k.opus");
    const PlannedSave saved = SaveEdits(chained, TextEdits({{u"TITLE", std::u16string(70000, u'c')}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    char path[] = "/tmp/tarvik-ogg-chain-XXXXXX";
    const int descriptor = mkstemp(path);
    ASSERT_GE(descriptor, 0);
    close(descriptor);
    WriteFile(path, saved.File);
    const ToolRun run = RunCommand(std::string("ogginfo '") + path + "'");
    unlink(path);
    EXPECT_EQ(run.Status, 0) << run.Output.substr(0, 2000);
    EXPECT_FALSE(Mentions(run.Output, "WARNING")) << run.Output.substr(0, 3000);
    EXPECT_TRUE(Mentions(run.Output, "type Opus"));
}

}  // namespace
