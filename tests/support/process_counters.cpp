#include "support/process_counters.h"

#include <windows.h>

size_t CommittedPrivateBytes() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const auto* address = static_cast<const char*>(system.lpMinimumApplicationAddress);
    const auto* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        address = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

namespace {

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

size_t HeapBytesInUse() {
    // On the stack: a list taken from the heap would count itself.
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(ARRAYSIZE(heaps), heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < ARRAYSIZE(heaps); ++i) total += BytesInUseOn(heaps[i]);
    return total;
}
