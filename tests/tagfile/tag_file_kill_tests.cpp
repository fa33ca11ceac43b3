// A save killed at any moment leaves the old file or the new one, nothing between: a child
// process (save_child.exe) saves a copy of a file again and again, one field given two
// values in turn, and is terminated at a moment spread over many saves; the file must then
// be byte for byte the original, the file after the first save or after the second.
//
// One line a case: the file's bytes, the field and its two values, and the way a save takes
// (in place keeps the file itself, a new file takes its name).  Each format's files belong
// here twice, an edit within one page and one that moves the rest of a large tag.
#include <gtest/gtest.h>

#include <string>

#include "common/format_fixtures.h"
#include "common/media_bytes.h"
#include "common/process_runner.h"
#include "common/temp_files.h"

namespace {

enum class Way { InPlace, NewFile };

struct KillCase {
    const char* Name;
    Bytes (*File)();
    const wchar_t* Extension;
    const wchar_t* Field;  // Title, or a name SetText takes
    const wchar_t* First;
    const wchar_t* Second;
    Way Expected;
    bool LaidOut = false;  // saved once by the class first, so that it has the layout a save gives
    int Trials = 30;
};

// A cover of several megabytes, so that a write of the whole tag spans many pages.
Bytes Cover() {
    Bytes image = BytesOf("\xFF\xD8\xFF\xE0");
    uint32_t random = 7;
    image.resize(4 * 1024 * 1024);
    for (size_t i = 4; i < image.size(); ++i) image[i] = static_cast<unsigned char>((random = random * 1664525u + 1013904223u) >> 24);
    return image;
}

// A 2.3 tag of a title, an artist and the cover, with room to edit in place.
Bytes Mp3WithCover() {
    return Tag(3, TextFrame(3, "TIT2", "Title") + TextFrame(3, "TPE1", "Artist") +
                      Frame(3, "APIC", PictureBody(3, 3, "", Cover())) + Bytes(8192, 0)) +
           MpegFrames(40);
}

Bytes Fixture(const wchar_t* name) { return ReadWholeFile(FormatFixturePath(name)); }

// A title longer than a page.
const std::wstring kLongTitle(6000, L'x');
const wchar_t* const kLong = kLongTitle.c_str();

const KillCase kCases[] = {
    {"Mp3CoverTitleInPlace", Mp3WithCover, L".mp3", L"Title", L"Alpha", L"Bravo", Way::InPlace},
    {"Mp3CoverTitleMovesTheCover", Mp3WithCover, L".mp3", L"Title", L"Alpha Alpha", L"Bravo", Way::NewFile},
    {"Mp3TextFrameInPlace", Mp3WithCover, L".mp3", L"TPE1", L"Zulus!", L"Yankee", Way::InPlace},
    // A tag of small pictures, its frames and the start of its padding within one page.
    {"Mp3Fixture23", [] { return Fixture(L"cbr-stereo-44k.mp3"); }, L".mp3", L"Title", L"Alpha", L"Bravo", Way::InPlace},
    // The title at the front and the ID3v1 tag at the end: two pages.
    {"Mp3Fixture24AndId3v1", [] { return Fixture(L"vbr-mono-22k.mp3"); }, L".mp3", L"Title", L"Alpha", L"Bravo",
     Way::NewFile},
    // Every other format: a title of the same length in the room a save leaves, and one that
    // grows past a page through a new file.
    {"FlacInPlace", [] { return Fixture(L"stereo-44k.flac"); }, L".flac", L"Title", L"Alpha", L"Bravo", Way::InPlace, true, 10},
    {"FlacNewFile", [] { return Fixture(L"stereo-44k.flac"); }, L".flac", L"Title", kLong, L"Bravo", Way::NewFile, false, 10},
    {"OggInPlace", [] { return Fixture(L"stereo-44k.ogg"); }, L".ogg", L"Title", L"Alpha", L"Bravo", Way::InPlace, true, 10},
    {"OggNewFile", [] { return Fixture(L"stereo-44k.ogg"); }, L".ogg", L"Title", kLong, L"Bravo", Way::NewFile, false, 10},
    {"OpusNewFile", [] { return Fixture(L"mono-48k.opus"); }, L".opus", L"Title", kLong, L"Bravo", Way::NewFile, false, 10},
    {"Mp4InPlace", [] { return Fixture(L"stereo-44k-aac.m4a"); }, L".m4a", L"Title", L"Alpha", L"Bravo", Way::InPlace, true, 10},
    {"Mp4NewFile", [] { return Fixture(L"stereo-44k-aac.m4a"); }, L".m4a", L"Title", kLong, L"Bravo", Way::NewFile, false, 10},
    {"WavInPlace", [] { return Fixture(L"stereo-44k-id3.wav"); }, L".wav", L"Title", L"Alpha", L"Bravo", Way::InPlace, true, 10},
    {"WavNewFile", [] { return Fixture(L"stereo-44k-id3.wav"); }, L".wav", L"Title", kLong, L"Bravo", Way::NewFile, false, 10},
    {"AiffNewFile", [] { return Fixture(L"stereo-44k.aiff"); }, L".aiff", L"Title", kLong, L"Bravo", Way::NewFile, false, 10},
    {"WmaInPlace", [] { return Fixture(L"stereo-44k.wma"); }, L".wma", L"Title", L"Alpha", L"Bravo", Way::InPlace, true, 10},
    {"WmaNewFile", [] { return Fixture(L"stereo-44k.wma"); }, L".wma", L"Title", kLong, L"Bravo", Way::NewFile, false, 10},
};

class SaveKilled : public testing::TestWithParam<KillCase> {
protected:
    std::wstring ChildCommand(const std::wstring& path, int count, const std::wstring& event, const wchar_t* first,
                              const wchar_t* second) const {
        return L"\"" + ProgramDirectory() + L"save_child.exe\" \"" + path + L"\" " + std::to_wstring(count) + L" " +
               event + L" " + GetParam().Field + L" \"" + first + L"\" \"" + second + L"\"";
    }
    std::wstring ChildCommand(const std::wstring& path, int count, const std::wstring& event) const {
        return ChildCommand(path, count, event, GetParam().First, GetParam().Second);
    }

    // The case's file, saved once with a third value where it is to be laid out first.
    Bytes Original() {
        Bytes file = GetParam().File();
        if (!GetParam().LaidOut || file.empty()) return file;
        const std::wstring path = folder.WriteFile(std::wstring(L"laid-out") + GetParam().Extension, file);
        const ProgramRun run = RunProgram(ChildCommand(path, 1, L"none", L"Prime", L"Prime"));
        EXPECT_EQ(run.ExitCode, 0u) << run.Output;
        return ReadWholeFile(path);
    }

    // The file after count saves that nobody interrupts; the first takes the case's way.
    Bytes StateAfter(int count) {
        const std::wstring path = folder.WriteFile(std::wstring(L"clean") + GetParam().Extension, original);
        const ULONGLONG before = FileIdOf(path);
        const ProgramRun run = RunProgram(ChildCommand(path, count, L"none"));
        EXPECT_EQ(run.ExitCode, 0u) << run.Output;
        if (count == 1) {
            EXPECT_EQ(FileIdOf(path) == before, GetParam().Expected == Way::InPlace) << "the way taken";
        }
        return ReadWholeFile(path);
    }

    // Starts a child that saves until it is killed; returns once its saves have begun.
    PROCESS_INFORMATION StartSaving(const std::wstring& path, int trial) {
        const std::wstring event =
            L"tarvik-save-child-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(trial);
        const HANDLE started = CreateEventW(nullptr, TRUE, FALSE, event.c_str());
        std::wstring command = ChildCommand(path, 1000000, event);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
            << "error " << GetLastError();
        EXPECT_EQ(WaitForSingleObject(started, 60000), WAIT_OBJECT_0);
        CloseHandle(started);
        return child;
    }

    ScratchFolder folder;
    const Bytes original = Original();
};

// Waits for a number of microseconds without sleeping, so that the moments spread finer
// than the scheduler's tick.
void Spin(LONGLONG microseconds) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    do {
        QueryPerformanceCounter(&now);
    } while ((now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart < microseconds);
}

}  // namespace

TEST_P(SaveKilled, LeavesTheOldFileOrTheNewOne) {
    ASSERT_FALSE(original.empty());
    const Bytes first = StateAfter(1);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const Bytes second = StateAfter(2);
    QueryPerformanceCounter(&end);
    ASSERT_NE(first, second);
    // The kills spread over as long as a child takes for two saves, its start included.
    const auto window = static_cast<uint32_t>((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
    int seen[3] = {};
    uint32_t random = 12345;
    for (int trial = 0; trial < GetParam().Trials; ++trial) {
        const std::wstring path = folder.WriteFile(std::wstring(L"killed") + GetParam().Extension, original);
        const PROCESS_INFORMATION child = StartSaving(path, trial);
        random = random * 1103515245u + 12345u;
        Spin((random >> 8) % window);
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        const Bytes after = ReadWholeFile(path);
        const int state = after == original ? 0 : after == first ? 1 : after == second ? 2 : -1;
        ASSERT_NE(state, -1) << "trial " << trial << ": " << after.size() << " bytes, neither old nor new";
        ++seen[state];
    }
    std::printf("[tarvik] %s, %d kills: original %d, first %d, second %d\n", GetParam().Name, GetParam().Trials, seen[0],
                seen[1], seen[2]);
    EXPECT_GT(seen[1] + seen[2], 0);  // the kills fell among the saves, not before them
}

INSTANTIATE_TEST_SUITE_P(EveryCase, SaveKilled, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<KillCase>& test) { return std::string(test.param.Name); });
