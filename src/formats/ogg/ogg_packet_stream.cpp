#include "formats/ogg/ogg_packet_stream.h"
#include "formats/little_endian.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kLongestHeader = 27 + 255;
constexpr size_t kChunk = 64 * 1024;
// Pages walked at most by one stream: the header packets with a 10 MB picture in them
// take some 3,500 pages of the size taggers write.
constexpr int kMostPages = 16384;

}  // namespace

bool ParseOggPage(const uint8_t* bytes, size_t size, uint64_t offset, OggPage& page) noexcept {
    if (size < 27 || std::memcmp(bytes, "OggS", 4) != 0 || bytes[4] != 0 || size < 27u + bytes[26]) return false;
    page.Offset = offset;
    page.Flags = bytes[5];
    page.Granule = ReadLittleEndian(bytes + 6, 8);
    page.Serial = static_cast<uint32_t>(ReadLittleEndian(bytes + 14, 4));
    page.Segments = bytes[26];
    std::memcpy(page.Lacing.data(), bytes + 27, page.Segments);
    page.BodyStart = offset + 27 + page.Segments;
    page.End = page.BodyStart;
    for (size_t i = 0; i < page.Segments; ++i) page.End += page.Lacing[i];
    return true;
}

bool OggPacketStream::LoadPage(uint64_t offset) {
    if (++pagesWalked_ > kMostPages || offset >= fileSize_) return false;
    const uint64_t end = std::min<uint64_t>(offset + kLongestHeader, fileSize_);
    if (preloaded_ != nullptr && preloaded_->Covers(offset, end)) {
        return ParseOggPage(preloaded_->At(offset), static_cast<size_t>(end - offset), offset, page_);
    }
    if (!ReadRegion(file_, offset, kLongestHeader, header_, &error_)) {
        failed_ = true;
        return false;
    }
    return ParseOggPage(header_.Bytes.data(), header_.Bytes.size(), offset, page_);
}

void OggPacketStream::BeginRun(size_t segment) noexcept {
    position_ = page_.BodyStart;
    for (size_t i = 0; i < segment && i < page_.Segments; ++i) position_ += page_.Lacing[i];
    left_ = 0;
    ends_ = false;
    nextSegment_ = segment;
    while (nextSegment_ < page_.Segments && !ends_) {
        const uint8_t lace = page_.Lacing[nextSegment_++];
        left_ += lace;
        ends_ = lace < 255;
    }
}

bool OggPacketStream::Open(uint64_t pageOffset) {
    if (!LoadPage(pageOffset)) return false;
    BeginRun(0);
    // A packet carried over from an earlier page is not this page's first.
    if ((page_.Flags & 1) != 0 && !ends_) return false;
    if ((page_.Flags & 1) != 0) BeginRun(nextSegment_);
    return true;
}

bool OggPacketStream::NextPage(bool continuation) {
    const uint32_t serial = page_.Serial;
    for (uint64_t offset = page_.End; LoadPage(offset); offset = page_.End) {
        if (page_.Serial != serial) continue;
        return ((page_.Flags & 1) != 0) == continuation;
    }
    return false;
}

bool OggPacketStream::NextPacket() {
    while (Skip(kChunk) > 0) {
    }
    if (!ends_) return false;
    if (nextSegment_ < page_.Segments) {
        BeginRun(nextSegment_);
        return true;
    }
    if (!NextPage(false)) return false;
    BeginRun(0);
    return true;
}

bool OggPacketStream::Resume(uint64_t pageOffset, uint64_t position) {
    if (!LoadPage(pageOffset)) return false;
    for (size_t segment = 0; segment < page_.Segments || segment == 0;) {
        BeginRun(segment);
        if (position >= position_ && position <= position_ + left_) {
            left_ -= position - position_;
            position_ = position;
            return true;
        }
        if (nextSegment_ == segment) break;
        segment = nextSegment_;
    }
    return false;
}

const uint8_t* OggPacketStream::Available(size_t* count) {
    if (preloaded_ != nullptr && preloaded_->Covers(position_, position_ + 1)) {
        *count = static_cast<size_t>(std::min<uint64_t>(preloaded_->End() - position_, left_));
        return preloaded_->At(position_);
    }
    if (!chunk_.Covers(position_, position_ + 1)) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(left_, kChunk));
        if (!ReadRegion(file_, position_, size, chunk_, &error_)) failed_ = true;
        if (chunk_.Bytes.empty()) return nullptr;
    }
    *count = static_cast<size_t>(std::min<uint64_t>(chunk_.End() - position_, left_));
    return chunk_.At(position_);
}

size_t OggPacketStream::Read(uint8_t* out, size_t count) {
    size_t done = 0;
    while (done < count && !failed_) {
        if (left_ == 0) {
            if (ends_ || !NextPage(true)) break;
            BeginRun(0);
            continue;
        }
        size_t n = static_cast<size_t>(std::min<uint64_t>(left_, count - done));
        if (out != nullptr) {
            size_t available = 0;
            const uint8_t* bytes = Available(&available);
            if (bytes == nullptr) break;
            n = std::min(n, available);
            std::memcpy(out + done, bytes, n);
        } else if (position_ + n > fileSize_) {
            break;
        }
        done += n;
        position_ += n;
        left_ -= n;
    }
    return done;
}
