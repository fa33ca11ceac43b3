#include "tagfile/disk_file_source.h"

#include <algorithm>

#include "support/ansi_conversion.h"

namespace {

// The most one ReadFile or WriteFile call is asked for.
constexpr size_t kLargestCall = 1u << 30;

}  // namespace

bool DiskFileSource::GetSize(uint64_t* size, uint32_t* error) noexcept {
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file_, &length)) {
        *error = GetLastError();
        return false;
    }
    *size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

bool DiskFileSource::ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept {
    *read = 0;
    // The pointer is moved, then read from: under Wine a read with an offset in an
    // OVERLAPPED structure costs ten times as much as both calls together.
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) {
        *error = GetLastError();
        return false;
    }
    // A file on a disk answers a read in full but at its end: a short read is the end, and
    // asking again would only cost a call that reads nothing.
    while (*read < size) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min(size - *read, kLargestCall));
        if (!ReadFile(file_, buffer + *read, ask, &got, nullptr)) {
            const DWORD failure = GetLastError();
            if (failure == ERROR_HANDLE_EOF) return true;
            *error = failure == 0 ? ERROR_READ_FAULT : failure;
            return false;
        }
        *read += got;
        if (got < ask) return true;
    }
    return true;
}

std::u16string DiskFileSource::DecodeCodePage(const char* text, size_t size) {
    // Every byte yields at most one UTF-16 unit.
    std::u16string wide(size, u'\0');
    const int written = ConvertRunToWide(text, static_cast<int>(size), reinterpret_cast<wchar_t*>(&wide[0]),
                                         static_cast<int>(size));
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

bool DiskFileSink::Write(const uint8_t* bytes, size_t size, uint32_t* error) noexcept {
    size_t done = 0;
    while (done < size) {
        DWORD written = 0;
        const DWORD ask = static_cast<DWORD>(std::min(size - done, kLargestCall));
        if (!WriteFile(file_, bytes + done, ask, &written, nullptr)) {
            *error = GetLastError();
            return false;
        }
        if (written == 0) {
            *error = ERROR_WRITE_FAULT;
            return false;
        }
        done += written;
    }
    return true;
}
