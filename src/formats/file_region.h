// Runs of a file's bytes read at explicit offsets: no read depends on where an earlier
// one left the file pointer.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Reads up to size bytes at offset; *read is what arrived (fewer at the end of the file).
// False, with the system's error in *error, only when the system fails the read.
bool ReadFileAt(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD* read, DWORD* error) noexcept;

// The file's bytes [Offset, End()) held in memory.
struct FileRegion {
    uint64_t Offset = 0;
    std::vector<BYTE> Bytes;

    uint64_t End() const noexcept { return Offset + Bytes.size(); }
    bool Covers(uint64_t begin, uint64_t end) const noexcept { return begin >= Offset && end <= End(); }
    const BYTE* At(uint64_t offset) const noexcept { return Bytes.data() + (offset - Offset); }
};

// Replaces region with the file's bytes [offset, offset + size), or fewer where the file ends.
bool ReadRegion(HANDLE file, uint64_t offset, size_t size, FileRegion& region, DWORD* error);

// Reads the bytes from region's end up to end onto it, in one read.
bool ExtendRegion(HANDLE file, FileRegion& region, uint64_t end, DWORD* error);
