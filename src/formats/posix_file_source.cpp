#include "formats/posix_file_source.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "formats/windows_1252.h"

bool PosixFileSource::GetSize(uint64_t* size, uint32_t* error) noexcept {
    struct stat status {};
    if (fstat(descriptor_, &status) != 0) {
        *error = static_cast<uint32_t>(errno);
        return false;
    }
    *size = static_cast<uint64_t>(status.st_size);
    return true;
}

bool PosixFileSource::ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept {
    *read = 0;
    // A regular file answers a read in full but at its end: a short read is the end.
    while (*read < size) {
        const size_t ask = size - *read;
        const ssize_t got = pread(descriptor_, buffer + *read, ask, static_cast<off_t>(offset + *read));
        if (got < 0) {
            if (errno == EINTR) continue;
            *error = static_cast<uint32_t>(errno);
            return false;
        }
        *read += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < ask) break;
    }
    return true;
}

std::u16string PosixFileSource::DecodeCodePage(const char* text, size_t size) {
    return DecodeWindows1252(text, size);
}

bool PosixFileSink::Write(const uint8_t* bytes, size_t size, uint32_t* error) noexcept {
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = write(descriptor_, bytes + done, size - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            *error = static_cast<uint32_t>(errno);
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}
