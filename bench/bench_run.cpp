#include "bench_run.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>

namespace {

// Wine's own version, when the program runs under Wine.
const char* WineVersion() {
    using VersionFunction = const char*(CDECL*)();
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto version =
        reinterpret_cast<VersionFunction>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    return version != nullptr ? version() : "none (Windows)";
}

void PrintProcessor() {
    char name[128] = "unknown";
    DWORD size = sizeof name;
    RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString",
                 RRF_RT_REG_SZ, nullptr, name, &size);
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    std::printf("processor: %s, %lu logical processors\n", name, system.dwNumberOfProcessors);
}

}  // namespace

BenchRun::BenchRun(int argc, char** argv, const char* title) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--brief") == 0) brief_ = true;
    }
    // The figures are read as they come, also through a pipe.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("\n==== %s: %d-bit, Wine %s, code page %u%s\n", title, static_cast<int>(sizeof(void*) * 8),
                WineVersion(), GetACP(), brief_ ? ", brief run" : "");
    PrintProcessor();
    // A script host's apartment, as in the tests.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

BenchRun::~BenchRun() { CoUninitialize(); }

void PrintSection(const char* title) { std::printf("\n-- %s\n", title); }
