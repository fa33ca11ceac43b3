// WAV, AIFF and WMA files that sox and ffmpeg made, saved by the writers and checked with
// the tools' own readers: ffprobe reads the tags and every packet, mutagen reads the values
// back, and ffmpeg decodes the same audio.  Native only: the tools are Debian's.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "format_test_files.h"
#include "formats/utf8_text.h"
#include "planned_save.h"

namespace {

// The command's output (its errors too where keepErrors) and, where it fails, its status.
std::string RunTool(const std::string& command, bool keepErrors = true) {
    std::string out;
    FILE* pipe = popen((command + (keepErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (pipe == nullptr) return "(no pipe)";
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, read);
    const int status = pclose(pipe);
    if (status != 0) out += "(exit " + std::to_string(status) + ")";
    return out;
}

class ScratchFile {
public:
    ScratchFile(const std::string& suffix, const Bytes& bytes) {
        char folder[] = "/tmp/tarvik-tools-XXXXXX";
        folder_ = mkdtemp(folder) != nullptr ? folder : "/tmp";
        path_ = folder_ + "/file" + suffix;
        std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    ~ScratchFile() {
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string folder_, path_;
};

std::string Utf8(const std::u16string& text) {
    std::string out;
    AppendUtf8(text, out);
    return out;
}

// What the tools make of a file: its decoded audio's hash, its packets, its tags (the
// test images are no real pictures, which ffprobe says when it probes them).
std::string DecodeHash(const std::string& path) {
    return RunTool("ffmpeg -v error -i " + path + " -map 0:a -f s16le - 2>/dev/null | sha256sum");
}
std::string PacketCount(const std::string& path) {
    return RunTool("ffprobe -v error -select_streams a:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 " +
                   path,
               false);
}
std::string ProbedTags(const std::string& path) {
    return RunTool("ffprobe -v error -show_entries format_tags -of default=nw=1 " + path, false);
}
// mutagen's values of keys, one "key=value; value" line each, and how many pictures.
std::string MutagenValues(const std::string& path, bool asf) {
    const std::string script =
        asf ? "from mutagen.asf import ASF\nt = ASF(p).tags\n"
              "for k in ('Title', 'Author', 'WM/AlbumTitle', 'WM/Genre', 'WM/Year'):\n"
              "    print(k + '=' + '; '.join(str(v) for v in t.get(k, [])))\n"
              "print('pictures=%d' % len(t.get('WM/Picture', [])))\n"
            : "import mutagen\nt = mutagen.File(p).tags\n"
              "for k in ('TIT2', 'TPE1', 'TALB', 'TCON', 'TDRC'):\n"
              "    print(k + '=' + ('; '.join(str(v) for v in t[k].text) if k in t else ''))\n"
              "print('pictures=%d' % len(t.getall('APIC')))\n";
    std::ofstream(path + ".py") << "import sys\np = sys.argv[1]\n" << script;
    const std::string out = RunTool("/usr/bin/python3 " + path + ".py " + path);
    unlink((path + ".py").c_str());
    return out;
}

const std::u16string kTitle = u"\u6771\u4EAC \U0001D11E", kAlbum = u"Gr\u00FC\u00DFe";

}  // namespace

TEST(RiffAsfTools, SavedFilesReadBackInTheToolsWithTheSameAudio) {
    if (!FormatFixturesNamed()) GTEST_SKIP() << "no fixtures";
    const Bytes png = FormatFixtureBytes("stereo-44k.flac.cover");
    const struct {
        const char* Name;
        bool Asf;
    } files[] = {{"stereo-44k-id3.wav", false}, {"mono-22k-info.wav", false}, {"mono-22k-info-id3.wav", false},
                 {"stereo-44k.aiff", false},    {"mono-48k.aifc", false},     {"stereo-44k.wma", true},
                 {"mono-22k.wma", true}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.Name);
        const Bytes before = FormatFixtureBytes(file.Name);
        ASSERT_FALSE(before.empty());
        auto key = [&](const char16_t* id3, const char16_t* asf) { return std::u16string(file.Asf ? asf : id3); };
        TagEdits edits = TextEdits({{key(kTitleKey, u"Title"), kTitle},
                                    {key(kArtistKey, u"Author"), u"One; Two"},
                                    {key(kAlbumKey, u"WM/AlbumTitle"), kAlbum},
                                    {key(kGenreKey, u"WM/Genre"), u"Ska; Jazz"},
                                    {key(kYearKey, u"WM/Year"), u"2020"}});
        edits.RemovePictures = true;
        edits.Cover = {png, "image/png"};
        const PlannedSave saved = SaveEdits(before, edits);
        ASSERT_TRUE(saved.Verdict.Ok());
        const std::string suffix = std::string(file.Name).substr(std::string(file.Name).rfind('.'));
        const ScratchFile old(suffix, before), fresh(suffix, saved.File);
        EXPECT_EQ(DecodeHash(fresh.Path()), DecodeHash(old.Path()));
        EXPECT_EQ(PacketCount(fresh.Path()), PacketCount(old.Path()));
        const std::string probed = ProbedTags(fresh.Path());
        // ffprobe prefers WAV's INFO, which holds the code page's "?" for what it lacks.
        const bool info = std::string(file.Name).find("info") != std::string::npos;
        EXPECT_NE(probed.find("title=" + (info ? std::string("?? ??") : Utf8(kTitle))), std::string::npos) << probed;
        if (!info) EXPECT_NE(probed.find("album=" + Utf8(kAlbum)), std::string::npos) << probed;
        // ffprobe keeps the last of several ASF attributes of one name; mutagen reads them all.
        EXPECT_NE(probed.find(file.Asf ? "artist=Two" : "artist=One; Two"), std::string::npos) << probed;
        const std::string values = MutagenValues(fresh.Path(), file.Asf);
        const std::string expected =
            file.Asf ? "Title=" + Utf8(kTitle) + "\nAuthor=One; Two\nWM/AlbumTitle=" + Utf8(kAlbum) +
                           "\nWM/Genre=Ska; Jazz\nWM/Year=2020\npictures=1\n"
                     : "TIT2=" + Utf8(kTitle) + "\nTPE1=One; Two\nTALB=" + Utf8(kAlbum) +
                           "\nTCON=Ska; Jazz\nTDRC=2020\npictures=1\n";
        EXPECT_EQ(values, expected);
    }
}

TEST(RiffAsfTools, AnIndexedAsfFileKeepsItsPacketsAndItsIndex) {
    // ffmpeg indexes a file with video: the simple index object follows the data object.
    const ScratchFile made(".wmv", {});
    RunTool("ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=3:size=64x48:rate=10 -f lavfi -i sine=duration=3 "
        "-c:v wmv2 -c:a wmav2 " + made.Path());
    std::ifstream in(made.Path(), std::ios::binary);
    const Bytes before{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const Bytes simpleIndex = {0x90, 0x08, 0x00, 0x33, 0xB1, 0xE5, 0xCF, 0x11};
    ASSERT_NE(std::search(before.begin(), before.end(), simpleIndex.begin(), simpleIndex.end()), before.end());
    const PlannedSave saved = SaveEdits(before, TextEdits({{u"Title", kTitle}, {u"WM/AlbumTitle", kAlbum}}));
    ASSERT_TRUE(saved.Verdict.Ok());
    const ScratchFile fresh(".wmv", saved.File);
    EXPECT_EQ(DecodeHash(fresh.Path()), DecodeHash(made.Path()));
    EXPECT_EQ(RunTool("ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 " + fresh.Path()),
              RunTool("ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 " + made.Path()));
    EXPECT_NE(ProbedTags(fresh.Path()).find("title=" + Utf8(kTitle)), std::string::npos);
    auto headerSize = [](const Bytes& file) {
        uint64_t size = 0;
        for (int i = 8; i-- > 0;) size = size << 8 | file[16 + i];
        return static_cast<std::ptrdiff_t>(size);
    };
    EXPECT_EQ(Bytes(saved.File.begin() + headerSize(saved.File), saved.File.end()),
              Bytes(before.begin() + headerSize(before), before.end()));
}
