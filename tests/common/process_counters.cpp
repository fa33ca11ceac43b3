#include "common/process_counters.h"

#include <windows.h>

namespace {

constexpr DWORD kExecutable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// The committed private regions of the address space, those whose protection has one of
// the given bits (any protection for 0), summed.
size_t SumCommittedPrivate(DWORD protection) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const auto* address = static_cast<const char*>(system.lpMinimumApplicationAddress);
    const auto* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
        const bool counted = region.State == MEM_COMMIT && region.Type == MEM_PRIVATE &&
                             (protection == 0 || (region.Protect & protection) != 0);
        if (counted) total += region.RegionSize;
        address = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

size_t BytesInUseOn(HANDLE heap) {
    if (!HeapLock(heap)) return 0;
    size_t total = 0;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    }
    HeapUnlock(heap);
    return total;
}

}  // namespace

size_t CommittedPrivateBytes() { return SumCommittedPrivate(0); }

size_t ExecutablePrivateBytes() { return SumCommittedPrivate(kExecutable); }

size_t HeapBytesInUse() {
    // On the stack: a list taken from the heap would count itself.
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(ARRAYSIZE(heaps), heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < ARRAYSIZE(heaps); ++i) total += BytesInUseOn(heaps[i]);
    return total;
}
