#include "formats/prefetched_source.h"

#include <algorithm>
#include <cstring>

bool PrefetchedSource::Prefetch(size_t size, uint32_t* error) {
    if (!ReadRegion(file_, 0, size, head_, error)) return false;
    // A read that stops short has met the end of the file: its size needs no call of its own.
    if (head_.Bytes.size() < size) {
        size_ = head_.Bytes.size();
        return true;
    }
    return file_.GetSize(&size_, error);
}

bool PrefetchedSource::GetSize(uint64_t* size, uint32_t* error) noexcept {
    static_cast<void>(error);
    *size = size_;
    return true;
}

bool PrefetchedSource::ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept {
    *read = 0;
    if (size == 0) return true;  // an empty run: buffer may be null
    if (offset < head_.End()) {
        const size_t served = static_cast<size_t>(std::min<uint64_t>(size, head_.End() - offset));
        std::memcpy(buffer, head_.At(offset), served);
        *read = served;
    }
    // Past the bytes at hand, and short of the end of the file: the file itself.
    if (*read == size || offset + *read >= size_) return true;
    size_t more = 0;
    const bool ok = file_.ReadAt(offset + *read, buffer + *read, size - *read, &more, error);
    *read += more;
    return ok;
}
