// Tarvik.TagFile from VBScript and JScript under Wine's cscript, reading files that LAME
// and mutagen made (the format fixtures): fields, the picture, and an error from Open
// that reaches the script as Err.Number and Err.Description; writing them back, and the
// example that sets the album artist of a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "registered_copy.h"
#include "common/format_fixtures.h"
#include "common/process_runner.h"

namespace {

class TagFileScripts : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(copy.RunRegsvr32(false), 0u); }
    void TearDown() override { copy.RunRegsvr32(true); }

    ProgramRun RunScript(const wchar_t* script, const std::wstring& arguments) {
        const std::wstring path = copy.CopyIn(std::wstring(L"tests/e2e/") + script, script);
        return RunProgram(L"cscript //nologo \"" + path + L"\" " + arguments);
    }

    RegisteredCopy copy;
    const std::wstring tagged = FormatFixturePath(L"cbr-stereo-44k.mp3");
    const std::wstring untagged = FormatFixturePath(L"cbr-mono-22k.mp3");
};

}  // namespace

TEST_F(TagFileScripts, VBScriptReadsTagsPlayingTimeAndPictureAndSeesOpenFail) {
    const std::wstring cover = copy.Folder() + L"cover.bin";
    const ProgramRun run = RunScript(L"read_tagfile.vbs", L"\"" + untagged + L"\" \"" + tagged + L"\" \"" + cover + L"\"");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    const std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 5u) << run.Output;
    EXPECT_EQ(lines[0], "vbscript|||||0|0|0||2|Double|32|22050|1|||");
    EXPECT_EQ(lines[1].substr(lines[1].find("|Artist One")),
              "|Artist One/Artist Two|Album|Album Artist|3|12|2003|Rock|2|Double|128|44100|2|ID3v2.3|calm|120");
    // The front cover of the file opened last, byte for byte.
    EXPECT_EQ(lines[2], "saved|True|Boolean");
    EXPECT_EQ(ReadWholeFile(cover), ReadWholeFile(tagged + L".cover"));
    EXPECT_EQ(lines[3].rfind("error|80070002|Cannot open \"", 0), 0u) << lines[3];
    EXPECT_NE(lines[3].find(".missing\": "), std::string::npos) << lines[3];
    EXPECT_EQ(lines[3].substr(lines[3].rfind('|')), "|Tarvik.TagFile");
    // A failed Open leaves nothing behind, and no picture is written.
    EXPECT_EQ(lines[4], "after||0|False");
    EXPECT_EQ(GetFileAttributesW((untagged + L".none").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(TagFileScripts, JScriptReadsTheSameThroughTheVersionIndependentName) {
    const ProgramRun run = RunScript(L"read_tagfile.js", L"\"" + tagged + L"\"");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    const std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 2u) << run.Output;
    EXPECT_EQ(lines[0], "jscript|Artist One/Artist Two|1|2|Kommentar|2|number|ID3v2.3");
    EXPECT_EQ(lines[1].rfind("error|80070002|Cannot open \"", 0), 0u) << lines[1];
}

TEST_F(TagFileScripts, VBScriptAndJScriptSetSaveAndReadBack) {
    const std::wstring path = copy.Folder() + L"written.mp3";
    ASSERT_TRUE(CopyFileW(tagged.c_str(), path.c_str(), FALSE));
    ProgramRun run = RunScript(L"write_tagfile.vbs", L"\"" + path + L"\"");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 3u) << run.Output;
    EXPECT_EQ(lines[0], "modified|True|MP3");
    EXPECT_EQ(lines[1], "vbscript|Vbscript title|2024|4/9|written|False");
    EXPECT_EQ(lines[2].rfind("error|80071779|Cannot save \"", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find("\": the file is read-only|True"), std::string::npos) << lines[2];
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    run = RunScript(L"write_tagfile.js", L"\"" + path + L"\"");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 1u) << run.Output;
    EXPECT_EQ(lines[0], "jscript|JScript artist|la la|2|false");
}

TEST_F(TagFileScripts, TheFixTagsExampleSetsTheAlbumArtistOfAFolderAndSaysWhatItChanged) {
    const std::wstring music = copy.Folder() + L"music";
    ASSERT_TRUE(CreateDirectoryW(music.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((music + L"\\disc 2").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(tagged.c_str(), (music + L"\\a.mp3").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(untagged.c_str(), (music + L"\\disc 2\\b.mp3").c_str(), FALSE));
    const std::wstring example = copy.CopyIn(L"examples/fixtags.vbs", L"fixtags.vbs");
    const std::wstring command = L"cscript //nologo \"" + example + L"\" \"" + music + L"\" ";
    ProgramRun run = RunProgram(command + L"\"Album Artist\"");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    // The tagged file says so already; the other one had none.
    std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 2u) << run.Output;
    EXPECT_NE(lines[0].find("b.mp3 (was \"\")"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "1 changed, 0 failed");
    run = RunProgram(command + L"\"Various\"");
    lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 3u) << run.Output;
    EXPECT_NE(lines[0].find("a.mp3 (was \"Album Artist\")"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[2], "2 changed, 0 failed");
}

TEST_F(TagFileScripts, TheFixTagsExampleMendsEveryFormatAndListMusicStillListsThemAll) {
    const std::wstring music = copy.Folder() + L"mixed";
    ASSERT_TRUE(CreateDirectoryW(music.c_str(), nullptr));
    const wchar_t* const names[] = {L"cbr-stereo-44k.mp3", L"stereo-44k.flac",    L"stereo-44k-aac.m4a",
                                    L"stereo-44k.ogg",     L"mono-48k.opus",      L"stereo-44k-id3.wav",
                                    L"stereo-44k.aiff",    L"stereo-44k.wma",     L"manifest.txt"};
    for (const wchar_t* name : names) {
        ASSERT_TRUE(CopyFileW(FormatFixturePath(name).c_str(), (music + L"\\" + name).c_str(), FALSE));
    }
    const std::wstring fix = copy.CopyIn(L"examples/fixtags.vbs", L"fixtags.vbs");
    const std::wstring list = copy.CopyIn(L"examples/listmusic.vbs", L"listmusic.vbs");
    const ProgramRun listedBefore = RunProgram(L"cscript //nologo \"" + list + L"\" \"" + music + L"\"");
    const std::wstring command = L"cscript //nologo \"" + fix + L"\" \"" + music + L"\" \"Mended\"";
    ProgramRun run = RunProgram(command);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 9u) << run.Output;
    EXPECT_EQ(lines.back(), "8 changed, 0 failed");
    // Every file now says so; what else the files hold is as it was.
    run = RunProgram(command);
    EXPECT_EQ(run.OutputLines(), std::vector<std::string>{"0 changed, 0 failed"}) << run.Output;
    const ProgramRun listedAfter = RunProgram(L"cscript //nologo \"" + list + L"\" \"" + music + L"\"");
    EXPECT_EQ(listedAfter.OutputLines(), listedBefore.OutputLines());
    EXPECT_EQ(listedAfter.OutputLines().size(), 9u) << listedAfter.Output;
}

TEST_F(TagFileScripts, ListMusicListsEveryFormatInAMixedFolderByItsBytes) {
    // Names that say nothing true: the format is read from the bytes.
    const std::wstring music = copy.Folder() + L"music";
    ASSERT_TRUE(CreateDirectoryW(music.c_str(), nullptr));
    const std::pair<const wchar_t*, const wchar_t*> files[] = {
        {L"cbr-stereo-44k.mp3", L"a.mp3"},       {L"stereo-44k.flac", L"b.mp3"},  {L"stereo-44k-aac.m4a", L"c.m4a"},
        {L"stereo-44k.ogg", L"d"},               {L"mono-48k.opus", L"e.opus"},   {L"stereo-44k-id3.wav", L"f.wav"},
        {L"stereo-44k.aiff", L"g.aif"},          {L"stereo-44k.wma", L"h.bin"},   {L"manifest.txt", L"notes.mp3"}};
    for (const auto& file : files) {
        ASSERT_TRUE(CopyFileW(FormatFixturePath(file.first).c_str(), (music + L"\\" + file.second).c_str(), FALSE));
    }
    const std::wstring script = copy.CopyIn(L"examples/listmusic.vbs", L"listmusic.vbs");
    const ProgramRun run = RunProgram(L"cscript //nologo \"" + script + L"\" \"" + music + L"\"");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 9u) << run.Output;
    std::sort(lines.begin() + 1, lines.end());
    // cscript writes in the console's code page, 437 here: "\x81\xE1" is "\u00FC\u00DF", "\xEC" "\u221E".
    const std::string title = "Gr\x81\xE1" "e, ?";
    const std::vector<std::string> expected = {
        "Artist\tAlbum\tTrack\tTitle\tTime",
        "\t\t0\te\t0:02",  // Opus untagged: the name stands for the title
        "Artist One/Artist Two\tAlbum\t3\t" + title + "\t0:02",
        "Artist One; Artist Two\tAlbum\t3\t" + title + "\t0:02",
        "Artist One; Artist Two\tAlbum\t3\t" + title + "\t0:02",
        "Artist One; Artist Two\tAlbum \xEC\t5\tMP4 title\t0:01",
        "Chunk Artist\tChunk Album\t2\tChunk title\t0:01",
        "Chunk Artist\tChunk Album\t2\tChunk title\t0:01",
        "WMA Artist\tWMA Album\t7\tWMA title\t0:01"};
    EXPECT_EQ(lines, expected) << run.Output;
}
