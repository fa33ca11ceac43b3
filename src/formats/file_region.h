// Runs of a file's bytes held in memory, read at explicit offsets: no read depends on
// where an earlier one left off.
#pragma once
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "formats/media_source.h"

// An allocator whose resize leaves the new bytes as they are: a read overwrites them at
// once, and zeroing 16 KB first would cost as much as parsing the tag.
template <class T>
struct UnfilledAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UnfilledAllocator<U>;
    };
    UnfilledAllocator() noexcept = default;
    template <class U>
    UnfilledAllocator(const UnfilledAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Arguments>
    void construct(U* at, Arguments&&... arguments) {
        ::new (static_cast<void*>(at)) U(std::forward<Arguments>(arguments)...);
    }
};

// The file's bytes [Offset, End()) held in memory.
struct FileRegion {
    uint64_t Offset = 0;
    std::vector<uint8_t, UnfilledAllocator<uint8_t>> Bytes;

    uint64_t End() const noexcept { return Offset + Bytes.size(); }
    bool Covers(uint64_t begin, uint64_t end) const noexcept { return begin >= Offset && end <= End(); }
    const uint8_t* At(uint64_t offset) const noexcept { return Bytes.data() + (offset - Offset); }
};

// Replaces region with the file's bytes [offset, offset + size), or fewer where the file ends.
bool ReadRegion(MediaSource& source, uint64_t offset, size_t size, FileRegion& region, uint32_t* error);

// Reads the bytes from region's end up to end onto it, in one read.
bool ExtendRegion(MediaSource& source, FileRegion& region, uint64_t end, uint32_t* error);
