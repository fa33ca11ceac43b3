#include "formats/file_region.h"

bool ReadFileAt(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD* read, DWORD* error) noexcept {
    *read = 0;
    // The pointer is moved, then read from: under Wine a read with an offset in an
    // OVERLAPPED structure costs ten times as much as both calls together.
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
        *error = GetLastError();
        return false;
    }
    while (*read < size) {
        DWORD got = 0;
        if (!ReadFile(file, static_cast<BYTE*>(buffer) + *read, size - *read, &got, nullptr)) {
            const DWORD failure = GetLastError();
            if (failure == ERROR_HANDLE_EOF) return true;
            *error = failure == 0 ? ERROR_READ_FAULT : failure;
            return false;
        }
        if (got == 0) return true;
        *read += got;
    }
    return true;
}

bool ReadRegion(HANDLE file, uint64_t offset, size_t size, FileRegion& region, DWORD* error) {
    region.Offset = offset;
    region.Bytes.resize(size);
    DWORD read = 0;
    const bool ok = size == 0 || ReadFileAt(file, offset, region.Bytes.data(), static_cast<DWORD>(size), &read, error);
    region.Bytes.resize(read);
    return ok;
}

bool ExtendRegion(HANDLE file, FileRegion& region, uint64_t end, DWORD* error) {
    if (end <= region.End()) return true;
    const size_t had = region.Bytes.size();
    const uint64_t from = region.End();
    region.Bytes.resize(static_cast<size_t>(end - region.Offset));
    DWORD read = 0;
    const bool ok = ReadFileAt(file, from, region.Bytes.data() + had, static_cast<DWORD>(end - from), &read, error);
    region.Bytes.resize(had + read);
    return ok;
}
