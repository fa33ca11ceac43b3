// The FLAC writer's files as the Debian tools see them: flac -t checks the stream (its MD5
// among it), metaflac and mutagen read the comments and pictures back, and the decoded
// audio is the same after every save.  Native only: the tools run here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "common/container_bytes.h"
#include "format_test_files.h"
#include "planned_save.h"

namespace {

// What a command writes to its output; *succeeded, whether it exited with 0.
std::string Run(const std::string& command, bool* succeeded = nullptr) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t read; pipe != nullptr && (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, read);
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    if (succeeded != nullptr) *succeeded = status == 0;
    return output;
}

// The file checked by flac, its comments by metaflac and mutagen (with its pictures'
// types), and the hash of its decoded samples.
struct Seen {
    bool Tested = false;
    std::string Tags, Mutagen, Pcm;
};
Seen Look(const Bytes& file) {
    char path[] = "/tmp/tarvik-flac-XXXXXX";
    const int descriptor = mkstemp(path);
    EXPECT_EQ(write(descriptor, file.data(), file.size()), static_cast<ssize_t>(file.size()));
    close(descriptor);
    const std::string name = std::string(" '") + path + "'";
    Seen seen;
    Run("flac -t -s" + name + " 2>&1", &seen.Tested);
    seen.Tags = Run("metaflac --export-tags-to=-" + name);
    seen.Mutagen = Run("/usr/bin/python3 -c 'import sys; from mutagen.flac import FLAC; f = FLAC(sys.argv[1]); "
                       "print(\"\".join(\"%s=%s\\n\" % kv for kv in f.tags), [p.type for p in f.pictures])'" + name);
    seen.Pcm = Run("flac -d -s -c --force-raw-format --endian=little --sign=signed" + name + " | sha256sum");
    unlink(path);
    return seen;
}

TEST(FlacTools, EverySaveLeavesAStreamTheToolsReadWithTheSameAudio) {
    Bytes file = FormatFixtureBytes("stereo-44k.flac");  // comments, then a back and a front cover
    ASSERT_FALSE(file.empty()) << "TARVIK_FORMAT_FIXTURES names no folder: run through ctest";
    const Seen before = Look(file);
    ASSERT_TRUE(before.Tested);
    TagEdits cover, removed;
    cover.Cover = {BytesOf("\x89PNG\r\n\x1a\nnew cover"), "image/png"};
    removed.RemovePictures = true;
    const struct {
        TagEdits Edits;
        std::vector<std::string> Fields;  // as the tools write them, in UTF-8
        std::string Pictures;             // mutagen's list of their types
        SaveWay Way;                      // Undecided: either
    } steps[] = {
        {TextEdits({{u"TITLE", u"Caf\u00E9"}, {u"ARTIST", u"\u6771\u4EAC; \U0001D11E"}, {u"ALBUM", u""}}),
         {"TITLE=Caf\xC3\xA9", "ARTIST=\xE6\x9D\xB1\xE4\xBA\xAC\n", "ARTIST=\xF0\x9D\x84\x9E\n", "MOOD=calm"}, "[4, 3]",
         SaveWay::Undecided},
        {TextEdits({{u"GENRE", u"Jazz"}}), {"GENRE=Jazz", "TITLE=Caf\xC3\xA9"}, "[4, 3]", SaveWay::InPlace},
        {cover, {"GENRE=Jazz"}, "[4, 3]", SaveWay::Undecided},
        {TextEdits({{u"LYRICS", std::u16string(20000, u'l')}}), {"LYRICS=lll"}, "[4, 3]", SaveWay::NewFile},
        {removed, {"MOOD=calm"}, "[]", SaveWay::Undecided},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        const PlannedSave saved = SaveEdits(file, step.Edits);
        ASSERT_TRUE(saved.Verdict.Ok());
        EXPECT_TRUE(step.Way == SaveWay::Undecided || saved.Way == step.Way);
        file = saved.File;
        const Seen seen = Look(file);
        EXPECT_TRUE(seen.Tested);
        EXPECT_EQ(seen.Pcm, before.Pcm);
        for (const std::string& field : step.Fields) {
            EXPECT_NE(seen.Tags.find(field), std::string::npos) << field << " in\n" << seen.Tags;
            EXPECT_NE(seen.Mutagen.find(field), std::string::npos) << field << " in\n" << seen.Mutagen;
        }
        EXPECT_EQ(seen.Tags.find("ALBUM="), std::string::npos);
        EXPECT_NE(seen.Mutagen.find(step.Pictures), std::string::npos) << seen.Mutagen;
    }
}

}  // namespace
