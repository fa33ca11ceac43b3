// The MP4 writer's files as the tools nobody here wrote read them (native only): ffmpeg makes
// AAC and ALAC files with the movie box after and before the media, the writer saves into
// them, and ffprobe reads every packet, mutagen every item, and ffmpeg decodes to the same
// PCM as before.  The reader's rates above 65,535 Hz are held to ffprobe's.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "format_test_files.h"
#include "planned_save.h"

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, read);
    pclose(pipe);
    return out;
}

class Mp4ToolChecks : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/tarvik-mp4-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { Shell("rm -rf '" + dir_ + "'"); }

    // A file ffmpeg encodes from a tone: the codec's options and the muxer's.
    std::string Make(const std::string& name, int rate, const std::string& options) {
        const std::string path = dir_ + "/" + name;
        Shell("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=2:sample_rate=" + std::to_string(rate) +
            " -ac 2 " + options + " '" + path + "' 2>&1");
        return path;
    }
    static Bytes Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Write(const std::string& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // The audio packets ffprobe reads and the hash of the PCM ffmpeg decodes.
    static std::string Audio(const std::string& path) {
        return Shell("ffprobe -v error -select_streams a:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 '" +
                   path + "'") +
               Shell("ffmpeg -v error -i '" + path + "' -map 0:a:0 -f s16le - | md5sum");
    }
    // The items as mutagen reads them, one "key=value" a line.
    static std::string Items(const std::string& path) {
        return Shell("/usr/bin/python3 -c \"import sys; from mutagen.mp4 import MP4\n"
                   "t = MP4(sys.argv[1]).tags\n"
                   "for k in sorted(t.keys()):\n"
                   "  v = t[k]\n"
                   "  if k == 'covr': v = [(c.imageformat, len(c)) for c in v]\n"
                   "  elif k.startswith('----'): v = [bytes(x).decode() for x in v]\n"
                   "  print(k + '=' + repr(v))\" '" + path + "'");
    }
    // A tag ffprobe reads from the file.
    static std::string Tag(const std::string& path, const std::string& key) {
        return Shell("ffprobe -v error -show_entries format_tags=" + key + " -of default=nw=1:nk=1 '" + path + "'");
    }

    std::string dir_;
};

const std::u16string kTitle = u"\u00A9nam";

}  // namespace

TEST_F(Mp4ToolChecks, SavedFilesPlayAlikeAndMutagenReadsEveryItem) {
    TagEdits edits = TextEdits({{kTitle, u"\u65E5\u672C\u8A9E \U0001F3B5"}, {u"\u00A9ART", u"Bj\u00F6rk"},
                                {u"trkn", u"3/12"}, {u"disk", u"1/2"}, {u"\u00A9day", u"2003"}, {u"\u00A9gen", u"Jazz"},
                                {u"\u00A9lyr", u"la la"}, {u"----:com.apple.iTunes:MOOD", u"calm"}});
    edits.Cover = {Bytes{0xFF, 0xD8, 0xFF, 0xE0} + Bytes(5000, 7), "image/jpeg"};
    const std::string expected =
        "----:com.apple.iTunes:MOOD=['calm']\ncovr=[(13, 5004)]\ndisk=[(1, 2)]\ntrkn=[(3, 12)]\n"
        "\xC2\xA9" "ART=['Bj\xC3\xB6rk']\n\xC2\xA9" "day=['2003']\n\xC2\xA9gen=['Jazz']\n\xC2\xA9lyr=['la la']\n"
        "\xC2\xA9nam=['\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x8E\xB5']\n\xC2\xA9too=";
    for (const auto& made : {std::pair<const char*, const char*>{"aac.m4a", "-c:a aac -b:a 96k"},
                             {"aac-first.m4a", "-c:a aac -b:a 96k -movflags +faststart"},
                             {"alac.m4a", "-c:a alac"},
                             {"alac-first.m4a", "-c:a alac -movflags +faststart"}}) {
        SCOPED_TRACE(made.first);
        const std::string path = Make(made.first, 44100, made.second), saved = path + ".saved.m4a";
        const Bytes original = Read(path);
        ASSERT_FALSE(original.empty());
        const std::string audio = Audio(path);
        ASSERT_GT(std::atoi(audio.c_str()), 20) << audio;  // the packets of two seconds, then the hash
        const PlannedSave first = SaveEdits(original, edits);
        ASSERT_TRUE(first.Verdict.Ok());
        Write(saved, first.File);
        EXPECT_EQ(Audio(saved), audio);
        EXPECT_EQ(Items(saved).substr(0, expected.size()), expected);
        EXPECT_EQ(Tag(saved, "artist"), "Bj\xC3\xB6rk\n");
        // The next text edit goes in place, and the tools read it.
        const PlannedSave next = SaveEdits(first.File, TextEdits({{u"\u00A9ART", u"Someone else"}, {u"trkn", u""}}));
        EXPECT_EQ(next.Way, SaveWay::InPlace);
        Write(saved, next.File);
        EXPECT_EQ(Audio(saved), audio);
        EXPECT_EQ(Tag(saved, "artist"), "Someone else\n");
        EXPECT_EQ(Items(saved).find("trkn"), std::string::npos);
    }
}

TEST_F(Mp4ToolChecks, RatesAbove65535HzAndTheAlacBitrateAreWhatFfprobeReads) {
    const struct {
        const char* Name;
        int Rate;
        const char* Options;
        bool Alac;
    } files[] = {{"alac-96k.m4a", 96000, "-c:a alac", true},
                 {"alac-192k.m4a", 192000, "-c:a alac", true},
                 {"aac-96k.m4a", 96000, "-c:a aac -b:a 128k", false}};
    for (const auto& made : files) {
        SCOPED_TRACE(made.Name);
        const int rate = made.Rate;
        const std::string path = Make(made.Name, rate, made.Options);
        const MediaTags tags = ReadMedia(Read(path));
        const std::string probe =
            Shell("ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,bit_rate -of csv=p=0 '" + path + "'");
        const long probedRate = std::atol(probe.c_str()), probedBitrate = std::atol(probe.substr(probe.find(',') + 1).c_str());
        EXPECT_EQ(tags.SampleRate, rate);
        EXPECT_EQ(tags.SampleRate, probedRate);
        if (made.Alac) EXPECT_NEAR(tags.Bitrate, probedBitrate / 1000.0, 1);
    }
}
