#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Says how many tests the run holds before the first one starts, and how many reached
// their end when the program ends.  tools/guard-test.sh fails a run whose two counts
// differ or whose last line is missing: a test program that crashes or exits early
// cannot pass for one that ran everything.
class RunCountReporter : public testing::EmptyTestEventListener {
public:
    void OnTestIterationStart(const testing::UnitTest& unitTest, int) override {
        planned_ = unitTest.test_to_run_count();
        std::printf("[tarvik] planned %d tests\n", planned_);
        std::fflush(stdout);
    }
    void OnTestEnd(const testing::TestInfo&) override { ++ended_; }
    void OnTestProgramEnd(const testing::UnitTest&) override {
        std::printf("[tarvik] ran %d of %d tests\n", ended_, planned_);
        std::fflush(stdout);
    }

private:
    int planned_ = 0;
    int ended_ = 0;
};

// A fault that nothing handles is named on standard error before Wine's debugger takes
// the process; the guard fails the run on this line whatever the exit status.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    char line[96];
    const int length = std::snprintf(line, sizeof line, "\n[tarvik] crashed: exception 0x%08lX at %p\n",
                                     exception->ExceptionRecord->ExceptionCode,
                                     exception->ExceptionRecord->ExceptionAddress);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(ReportCrash);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new RunCountReporter);
    // --expect-code-page=N: the run is about code page N, so it fails at once where the
    // system's is another, instead of passing with the tests that need N skipped.
    const char flag[] = "--expect-code-page=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, sizeof flag - 1) != 0) continue;
        const UINT expected = static_cast<UINT>(std::strtoul(argv[i] + sizeof flag - 1, nullptr, 10));
        if (GetACP() == expected) continue;
        std::fprintf(stderr, "the system code page is %u, not %u: check the locale of this run\n", GetACP(), expected);
        return 1;
    }
    // The tests act as a single-threaded apartment client, as script hosts do.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
