#include "formats/ogg/ogg_renumbering.h"

#include <algorithm>

#include "formats/file_region.h"
#include "formats/little_endian.h"
#include "formats/ogg/ogg_crc.h"
#include "formats/ogg/ogg_packet_stream.h"

namespace {

constexpr size_t kLongestHeader = 27 + 255;
constexpr size_t kWindow = 256 * 1024;

struct Renumber {
    uint32_t Serial;
    uint32_t Shift;
};

void PutLittleEndian32(uint8_t* at, uint32_t value) noexcept {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A page header renumbered where it is, in memory.
void RenumberHeader(uint8_t* header, uint64_t pageSize, uint32_t shift) noexcept {
    const uint32_t sequence = static_cast<uint32_t>(ReadLittleEndian(header + kOggSequenceAt, 4));
    const uint32_t renumbered = sequence + shift;
    const uint32_t change = sequence ^ renumbered;
    // The change in the order the checksum reads the bytes: the lowest first, so highest.
    const uint32_t changeInOrder =
        (change & 0xFF) << 24 | (change & 0xFF00) << 8 | (change >> 8 & 0xFF00) | change >> 24;
    const uint32_t checksum = static_cast<uint32_t>(ReadLittleEndian(header + kOggChecksumAt, 4));
    PutLittleEndian32(header + kOggSequenceAt, renumbered);
    PutLittleEndian32(header + kOggChecksumAt,
                      OggChecksumAfterSequenceChange(checksum, changeInOrder, static_cast<size_t>(pageSize)));
}

// Walks the pages of [start, end) in large reads, renumbering those of one stream on the way
// into out; with no out, only looks that the pages follow one another.
class PageWalk {
public:
    PageWalk(MediaSource& file, uint64_t end, const Renumber* renumber, ByteSink* out, uint32_t* error) noexcept
        : file_(file), end_(end), renumber_(renumber), out_(out), error_(error) {}

    PageChain Walk(uint64_t start) {
        *error_ = 0;
        written_ = start;
        for (uint64_t at = start; at < end_;) {
            const uint64_t headerEnd = std::min(at + kLongestHeader, end_);
            if (!window_.Covers(at, headerEnd) && (!Pass(at) || !Load(at))) return Failure();
            OggPage page;
            if (!ParseOggPage(window_.At(at), static_cast<size_t>(std::min(window_.End(), end_) - at), at, page) ||
                page.End > end_) {
                return PageChain::Broken;
            }
            // A first page of the stream's serial number begins a link of its own.
            if (renumber_ != nullptr && page.Serial == renumber_->Serial && (page.Flags & 2) != 0) ended_ = true;
            if (renumber_ != nullptr && !ended_ && page.Serial == renumber_->Serial) {
                uint8_t* header = &window_.Bytes[static_cast<size_t>(at - window_.Offset)];
                RenumberHeader(header, page.End - at, renumber_->Shift);
                ended_ = (page.Flags & 4) != 0;
            }
            at = page.End;
        }
        return Pass(end_) ? PageChain::Whole : Failure();
    }

private:
    PageChain Failure() const noexcept { return *error_ != 0 ? PageChain::ReadFailed : PageChain::Broken; }

    bool Load(uint64_t at) {
        if (!ReadRegion(file_, at, static_cast<size_t>(std::min<uint64_t>(kWindow, end_ - at)), window_, error_)) {
            return false;
        }
        return window_.End() > at;
    }

    // Writes the bytes up to upTo: those in the window as they stand, the rest read on the way.
    bool Pass(uint64_t upTo) {
        if (out_ == nullptr) {
            written_ = upTo;
            return true;
        }
        if (window_.Covers(written_, written_) && written_ < window_.End()) {
            const uint64_t to = std::min(upTo, window_.End());
            if (!out_->Write(window_.At(written_), static_cast<size_t>(to - written_), error_)) return false;
            written_ = to;
        }
        while (written_ < upTo) {
            if (!ReadRegion(file_, written_, static_cast<size_t>(std::min<uint64_t>(kWindow, upTo - written_)), window_,
                            error_) ||
                window_.Bytes.empty()) {
                return false;
            }
            if (!out_->Write(window_.Bytes.data(), window_.Bytes.size(), error_)) return false;
            written_ = window_.End();
        }
        return true;
    }

    MediaSource& file_;
    uint64_t end_;
    const Renumber* renumber_;
    ByteSink* out_;
    uint32_t* error_;
    FileRegion window_;
    uint64_t written_ = 0;
    bool ended_ = false;
};

}  // namespace

PageChain CheckPageChain(MediaSource& file, uint64_t start, uint64_t end, uint32_t* error) {
    return PageWalk(file, end, nullptr, nullptr, error).Walk(start);
}

bool OggRenumbering::Write(MediaSource& old, uint64_t start, uint64_t end, ByteSink& out, uint32_t* error) {
    const Renumber renumber{serial_, shift_};
    return PageWalk(old, end, &renumber, &out, error).Walk(start) == PageChain::Whole;
}
