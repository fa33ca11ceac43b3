#include "formats/mp4/box_reader.h"

#include <algorithm>
#include <cstring>

#include "formats/id3v2/id3v2_header.h"

namespace {

constexpr size_t kWindow = 16 * 1024;
// Boxes walked in one file at most, read or passed over.
constexpr int kMostBoxes = 16384;

}  // namespace

bool Box::Is(const char* type) const noexcept { return std::memcmp(Type, type, 4) == 0; }

uint64_t ReadBigEndian64(const uint8_t* bytes) noexcept {
    return static_cast<uint64_t>(ReadBigEndian(bytes, 4)) << 32 | ReadBigEndian(bytes + 4, 4);
}

const uint8_t* BoxReader::BytesAt(uint64_t offset, size_t count) {
    if (count > kLargestRead || offset > fileSize_ || count > fileSize_ - offset || failed_) return nullptr;
    if (!window_.Covers(offset, offset + count)) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(std::max(count, kWindow), fileSize_ - offset));
        if (!ReadRegion(file_, offset, size, window_, &error_)) {
            failed_ = true;
            return nullptr;
        }
        if (!window_.Covers(offset, offset + count)) return nullptr;
    }
    return window_.At(offset);
}

bool BoxReader::NextBox(uint64_t* at, uint64_t end, Box& box) {
    end = std::min(end, fileSize_);
    if (++walked_ > kMostBoxes || *at + 8 > end) return false;
    const uint8_t* header = BytesAt(*at, static_cast<size_t>(std::min<uint64_t>(16, end - *at)));
    if (header == nullptr) return false;
    uint64_t size = ReadBigEndian(header, 4);
    std::memcpy(box.Type, header + 4, 4);
    uint64_t headerSize = 8;
    if (size == 1) {
        if (*at + 16 > end) return false;
        size = ReadBigEndian64(header + 8);
        headerSize = 16;
    } else if (size == 0) {
        size = end - *at;
    }
    if (size < headerSize) return false;
    box.Start = *at + headerSize;
    box.End = size > end - *at ? end : *at + size;
    *at = box.End;
    return true;
}
