// A save killed at any moment leaves the old file or the new one, nothing between: a child
// process (save_child.exe) saves a copy of a file again and again, its title in turn
// "Alpha" and "Bravo", and is terminated at a moment spread over many saves; the file must
// then be byte for byte the original, the Alpha file or the Bravo file.  Once through the
// in-place path (a 2.3 tag with room to spare), once through the whole new file (a change
// of the ID3v1 tag is never written in place).
#include <gtest/gtest.h>

#include <string>

#include "common/format_fixtures.h"
#include "common/media_bytes.h"
#include "common/process_runner.h"
#include "common/temp_files.h"

namespace {

constexpr int kTrials = 30;

class SaveKilled : public testing::TestWithParam<const wchar_t*> {
protected:
    std::wstring ChildCommand(const std::wstring& path, int count, const std::wstring& event) const {
        return L"\"" + ProgramDirectory() + L"save_child.exe\" \"" + path + L"\" " + std::to_wstring(count) + L" " + event;
    }

    // The file after count saves that nobody interrupts.
    Bytes StateAfter(int count) {
        const std::wstring path = folder.WriteFile(L"clean.mp3", original);
        const ProgramRun run = RunProgram(ChildCommand(path, count, L"none"));
        EXPECT_EQ(run.ExitCode, 0u) << run.Output;
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
        EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
        EXPECT_EQ(WaitForSingleObject(started, 60000), WAIT_OBJECT_0);
        CloseHandle(started);
        return child;
    }

    ScratchFolder folder;
    const Bytes original = ReadWholeFile(FormatFixturePath(GetParam()));
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
    const Bytes alpha = StateAfter(1);
    const Bytes bravo = StateAfter(2);
    ASSERT_NE(alpha, bravo);
    int seen[3] = {};
    uint32_t random = 12345;
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::wstring path = folder.WriteFile(L"killed.mp3", original);
        const PROCESS_INFORMATION child = StartSaving(path, trial);
        random = random * 1103515245u + 12345u;
        Spin((random >> 8) % 40000);
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        const Bytes after = ReadWholeFile(path);
        const int state = after == original ? 0 : after == alpha ? 1 : after == bravo ? 2 : -1;
        ASSERT_NE(state, -1) << "trial " << trial << ": " << after.size() << " bytes, neither old nor new";
        ++seen[state];
    }
    std::printf("[tarvik] %d kills: original %d, Alpha %d, Bravo %d\n", kTrials, seen[0], seen[1], seen[2]);
    EXPECT_GT(seen[1] + seen[2], 0);  // the kills fell among the saves, not before them
}

INSTANTIATE_TEST_SUITE_P(InPlaceAndNewFile, SaveKilled, testing::Values(L"cbr-stereo-44k.mp3", L"vbr-mono-22k.mp3"));
