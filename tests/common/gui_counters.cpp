#include "common/gui_counters.h"

#include "common/process_counters.h"

namespace {

// Handle values are multiples of 4; a test process stays far below this.
constexpr UINT_PTR kHighestProbedHandle = 0x10000;

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<std::size_t*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindowAndDescendants(HWND window, LPARAM count) {
    ++*reinterpret_cast<std::size_t*>(count);
    EnumChildWindows(window, CountChild, count);
    return TRUE;
}

}  // namespace

std::size_t CountKernelHandles() {
    std::size_t count = 0;
    for (UINT_PTR value = 4; value < kHighestProbedHandle; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

std::size_t CountThreadWindows() {
    std::size_t count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindowAndDescendants, reinterpret_cast<LPARAM>(&count));
    return count;
}

ResourceCounts TakeResourceCounts() {
    return {CountKernelHandles(), CountThreadWindows(), CommittedPrivateBytes(), ExecutablePrivateBytes()};
}
