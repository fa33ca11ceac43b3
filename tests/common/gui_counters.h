// What the process holds, counted for real: Wine's own counters (GetGuiResources,
// GetProcessHandleCount, the private-bytes counter) answer 0, so a test that read them
// would prove nothing.
#pragma once
#include <windows.h>

#include <cstddef>

// Open kernel handles, found by asking GetHandleInformation about every handle value
// in the range where the system hands them out.
std::size_t CountKernelHandles();
// The calling thread's windows, top-level ones and all their descendants.
std::size_t CountThreadWindows();

// The four counts at one moment (the memory ones from process_counters.h).
struct ResourceCounts {
    std::size_t Handles;
    std::size_t Windows;
    std::size_t CommittedBytes;
    std::size_t ExecutableBytes;
};
ResourceCounts TakeResourceCounts();
