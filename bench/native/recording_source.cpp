#include "recording_source.h"

#include <cerrno>

bool RecordingSource::ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept {
    // Noting the read may not throw: the reader's sources promise not to.
    try {
        reads_.push_back({offset, size});
    } catch (...) {
        *error = ENOMEM;
        return false;
    }
    return inner_.ReadAt(offset, buffer, size, read, error);
}
