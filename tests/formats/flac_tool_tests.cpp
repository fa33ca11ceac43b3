// The FLAC writer's files as the Debian tools see them: flac -t checks the stream (its MD5
// among it), metaflac and mutagen read the comments and pictures back, and the decoded
// audio is the same before and after every save.  Native only: the tools run here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "planned_save.h"

namespace {

class FlacTools : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tarvik-flac-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder_ = name;
        if (!FormatFixturesNamed()) GTEST_SKIP() << "TARVIK_FORMAT_FIXTURES names no folder: run through ctest";
    }
    void TearDown() override {
        if (!folder_.empty()) Run("rm -rf '" + folder_ + "'");
    }

    std::string Write(const Bytes& bytes) {
        const std::string path = folder_ + "/file.flac";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // What a command writes to its output, and whether it succeeded.
    static std::string Run(const std::string& command, bool* succeeded = nullptr) {
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return output;
        char buffer[4096];
        for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, read);
        const int status = pclose(pipe);
        if (succeeded != nullptr) *succeeded = status == 0;
        return output;
    }

    // The stream checked, the comments as metaflac and mutagen read them, the pictures'
    // types and the decoded samples' hash.
    struct Seen {
        bool Tested = false;
        std::string Metaflac, Mutagen, Pcm;
    };
    Seen Look(const Bytes& file) {
        const std::string path = Write(file);
        Seen seen;
        Run("flac -t -s '" + path + "' 2>&1", &seen.Tested);
        seen.Metaflac = Run("metaflac --export-tags-to=- '" + path + "'");
        seen.Mutagen = Run("/usr/bin/python3 -c 'import sys; from mutagen.flac import FLAC; f = FLAC(sys.argv[1]); "
                           "print(\"\".join(\"%s=%s\\n\" % kv for kv in f.tags), [p.type for p in f.pictures])' '" +
                           path + "'");
        seen.Pcm = Run("flac -d -s -c --force-raw-format --endian=little --sign=signed '" + path + "' | sha256sum");
        return seen;
    }

    std::string folder_;
};

TEST_F(FlacTools, EverySaveLeavesAStreamTheToolsReadWithTheSameAudio) {
    const Bytes original = FormatFixtureBytes("stereo-44k.flac");
    ASSERT_FALSE(original.empty());
    const Seen before = Look(original);
    ASSERT_TRUE(before.Tested);
    TagEdits texts = TextEdits({{u"TITLE", u"Caf\u00E9 \u00F1"}, {u"ARTIST", u"\u6771\u4EAC; \U0001D11E clef"},
                                {u"ALBUM", u""}, {u"COMMENT", u"Noted"}});
    TagEdits cover;
    cover.Cover = {BytesOf("\x89PNG\r\n\x1a\nnew cover"), "image/png"};
    TagEdits removed;
    removed.RemovePictures = true;
    // Lyrics longer than the padding: the file written anew.
    const TagEdits grown = TextEdits({{u"LYRICS", std::u16string(20000, u'l')}});
    const struct {
        const char* Name;
        TagEdits Edits;
        std::vector<std::string> Fields;  // as metaflac writes them, in UTF-8
        std::string Pictures;             // mutagen's list of their types
        SaveWay Way = SaveWay::Undecided;  // the way the save must take; Undecided: either
    } steps[] = {
        {"texts", texts, {"TITLE=Caf\xC3\xA9 \xC3\xB1", "ARTIST=\xE6\x9D\xB1\xE4\xBA\xAC", "ARTIST=\xF0\x9D\x84\x9E clef",
                          "COMMENT=Noted", "MOOD=calm"}, "[4, 3]"},
        {"in place", TextEdits({{u"GENRE", u"Jazz"}}), {"GENRE=Jazz", "MOOD=calm"}, "[4, 3]", SaveWay::InPlace},
        {"cover", cover, {"TITLE=Caf\xC3\xA9 \xC3\xB1"}, "[4, 3]"},
        {"grown", grown, {"LYRICS=lll", "COMMENT=Noted"}, "[4, 3]", SaveWay::NewFile},
        {"pictures removed", removed, {"MOOD=calm"}, "[]"},
    };
    Bytes file = original;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Name);
        const PlannedSave saved = SaveEdits(file, step.Edits);
        ASSERT_TRUE(saved.Verdict.Ok());
        if (step.Way != SaveWay::Undecided) {
            EXPECT_EQ(saved.Way, step.Way);
        }
        file = saved.File;
        const Seen seen = Look(file);
        EXPECT_TRUE(seen.Tested);
        EXPECT_EQ(seen.Pcm, before.Pcm);
        for (const std::string& field : step.Fields) {
            EXPECT_NE(seen.Metaflac.find(field), std::string::npos) << field << " in\n" << seen.Metaflac;
            EXPECT_NE(seen.Mutagen.find(field), std::string::npos) << field << " in\n" << seen.Mutagen;
        }
        EXPECT_EQ(seen.Metaflac.find("ALBUM="), std::string::npos);
        EXPECT_NE(seen.Mutagen.find(step.Pictures), std::string::npos) << seen.Mutagen;
    }
}

}  // namespace
