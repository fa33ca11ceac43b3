#include "formats/id3v2/tag_stream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kChunk = 16 * 1024;

}  // namespace

TagStream::TagStream(MediaSource& source, uint64_t begin, uint64_t end, bool unsynchronised,
                     const FileRegion* preloaded) noexcept
    : source_(source), raw_(begin), end_(std::max(begin, end)), unsynchronised_(unsynchronised), preloaded_(preloaded) {}

void TagStream::Seek(StreamMark mark) noexcept {
    raw_ = std::min(mark.RawOffset, end_);
    afterFF_ = mark.AfterFF;
}

const uint8_t* TagStream::Available(size_t* count) {
    *count = 0;
    if (raw_ >= end_ || failed_ || truncated_) return nullptr;
    const FileRegion* region = nullptr;
    if (preloaded_ != nullptr && preloaded_->Covers(raw_, raw_ + 1)) {
        region = preloaded_;
    } else if (chunk_.Covers(raw_, raw_ + 1)) {
        region = &chunk_;
    } else {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(kChunk, end_ - raw_));
        if (!ReadRegion(source_, raw_, size, chunk_, &error_)) {
            failed_ = true;
            return nullptr;
        }
        if (chunk_.Bytes.empty()) {
            truncated_ = true;
            return nullptr;
        }
        region = &chunk_;
    }
    *count = static_cast<size_t>(std::min(region->End(), end_) - raw_);
    return region->At(raw_);
}

size_t TagStream::Read(uint8_t* out, size_t count) {
    size_t done = 0;
    if (!unsynchronised_) {
        // Passing over needs no bytes at all: a large frame is skipped by position.
        if (out == nullptr) {
            done = static_cast<size_t>(std::min<uint64_t>(count, end_ - raw_));
            raw_ += done;
            return done;
        }
        while (done < count) {
            size_t available = 0;
            const uint8_t* bytes = Available(&available);
            if (bytes == nullptr) break;
            const size_t n = std::min(available, count - done);
            std::memcpy(out + done, bytes, n);
            done += n;
            raw_ += n;
        }
        return done;
    }
    while (done < count) {
        size_t available = 0;
        const uint8_t* bytes = Available(&available);
        if (bytes == nullptr) break;
        size_t used = 0;
        while (used < available && done < count) {
            const uint8_t b = bytes[used++];
            if (afterFF_ && b == 0) {
                afterFF_ = false;
                continue;
            }
            if (out != nullptr) out[done] = b;
            ++done;
            afterFF_ = b == 0xFF;
        }
        raw_ += used;
    }
    return done;
}

bool TagStream::PeekRaw(uint64_t offset, uint8_t* out, size_t count) {
    if (offset > end_ || count > end_ - offset) return false;
    for (const FileRegion* region : {preloaded_, static_cast<const FileRegion*>(&chunk_)}) {
        if (region != nullptr && region->Covers(offset, offset + count)) {
            std::memcpy(out, region->At(offset), count);
            return true;
        }
    }
    size_t read = 0;
    uint32_t error = 0;
    return source_.ReadAt(offset, out, count, &read, &error) && read == count;
}
