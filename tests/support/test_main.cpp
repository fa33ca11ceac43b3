#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
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
