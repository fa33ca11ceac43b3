#include "formats/save_plan.h"

#include <algorithm>

namespace {

constexpr size_t kCompareChunk = 64 * 1024;
constexpr size_t kCopyChunk = 256 * 1024;

// Exactly size bytes at offset; false with *error 0 where the file holds fewer.
bool ReadExactly(MediaSource& file, uint64_t offset, uint8_t* out, size_t size, uint32_t* error) {
    size_t read = 0;
    if (!file.ReadAt(offset, out, size, &read, error)) return false;
    if (read == size) return true;
    *error = 0;
    return false;
}

bool SamePage(uint64_t a, uint64_t b) noexcept { return a / kInPlacePage == b / kInPlacePage; }

// Where the new bytes differ from the old file: the first and the last differing offset.
class DifferenceRun {
public:
    bool Empty() const noexcept { return !found_; }
    uint64_t First() const noexcept { return first_; }
    uint64_t Last() const noexcept { return last_; }
    bool WithinOnePage() const noexcept { return !found_ || SamePage(first_, last_); }

    void Compare(const uint8_t* fresh, const uint8_t* old, size_t size, uint64_t offset) {
        const auto first = std::mismatch(fresh, fresh + size, old);
        if (first.first == fresh + size) return;
        size_t last = size - 1;
        while (fresh[last] == old[last]) --last;
        if (!found_) first_ = offset + static_cast<uint64_t>(first.first - fresh);
        found_ = true;
        last_ = offset + last;
    }

private:
    bool found_ = false;
    uint64_t first_ = 0, last_ = 0;
};

}  // namespace

void SavePlan::KeepRun(uint64_t start, uint64_t end, std::shared_ptr<RunRewriter> rewriter) {
    if (end <= start) return;
    SavePiece piece;
    piece.FromOld = true;
    piece.Start = start;
    piece.End = end;
    piece.Rewriter = std::move(rewriter);
    Pieces.push_back(std::move(piece));
}

void SavePlan::AddBytes(std::vector<uint8_t> bytes) {
    if (bytes.empty()) return;
    SavePiece piece;
    piece.Bytes = std::move(bytes);
    Pieces.push_back(std::move(piece));
}

uint64_t SavePlan::NewSize() const noexcept {
    uint64_t size = 0;
    for (const SavePiece& piece : Pieces) size += piece.Size();
    return size;
}

bool ChooseSaveWay(MediaSource& old, uint64_t oldSize, SavePlan& plan, uint32_t* error) {
    *error = 0;
    plan.Way = SaveWay::NewFile;
    plan.InPlaceOffset = 0;
    plan.InPlaceBytes.clear();
    if (plan.NewSize() != oldSize) return true;
    DifferenceRun difference;
    std::vector<uint8_t> oldBytes;
    uint64_t at = 0;
    for (const SavePiece& piece : plan.Pieces) {
        if (piece.FromOld) {
            // A run of the old file kept where it was is the old file there.
            if (piece.Rewriter != nullptr || piece.Start != at) return true;
        } else {
            for (size_t done = 0; done < piece.Bytes.size(); done += oldBytes.size()) {
                oldBytes.resize(std::min(kCompareChunk, piece.Bytes.size() - done));
                if (!ReadExactly(old, at + done, oldBytes.data(), oldBytes.size(), error)) return *error == 0;
                difference.Compare(piece.Bytes.data() + done, oldBytes.data(), oldBytes.size(), at + done);
                if (!difference.WithinOnePage()) return true;
            }
        }
        at += piece.Size();
    }
    if (difference.Empty()) {
        plan.Way = SaveWay::Nothing;
        return true;
    }
    // The run may pass over old bytes between two new pieces: they are written as they are.
    const uint64_t first = difference.First();
    plan.InPlaceBytes.resize(static_cast<size_t>(difference.Last() - first + 1));
    if (!ReadExactly(old, first, plan.InPlaceBytes.data(), plan.InPlaceBytes.size(), error)) return *error == 0;
    at = 0;
    for (const SavePiece& piece : plan.Pieces) {
        const uint64_t end = at + piece.Size();
        if (!piece.FromOld && end > first && at <= difference.Last()) {
            const uint64_t from = std::max(at, first), to = std::min(end, difference.Last() + 1);
            std::copy(piece.Bytes.begin() + static_cast<std::ptrdiff_t>(from - at),
                      piece.Bytes.begin() + static_cast<std::ptrdiff_t>(to - at),
                      plan.InPlaceBytes.begin() + static_cast<std::ptrdiff_t>(from - first));
        }
        at = end;
    }
    plan.InPlaceOffset = first;
    plan.Way = SaveWay::InPlace;
    return true;
}

bool WritePlannedFile(MediaSource& old, const SavePlan& plan, ByteSink& out, uint32_t* error) {
    *error = 0;
    std::vector<uint8_t> chunk;
    for (const SavePiece& piece : plan.Pieces) {
        if (!piece.FromOld) {
            if (!out.Write(piece.Bytes.data(), piece.Bytes.size(), error)) return false;
            continue;
        }
        if (piece.Rewriter != nullptr) {
            if (!piece.Rewriter->Write(old, piece.Start, piece.End, out, error)) return false;
            continue;
        }
        for (uint64_t at = piece.Start; at < piece.End; at += chunk.size()) {
            chunk.resize(static_cast<size_t>(std::min<uint64_t>(kCopyChunk, piece.End - at)));
            if (!ReadExactly(old, at, chunk.data(), chunk.size(), error) ||
                !out.Write(chunk.data(), chunk.size(), error)) {
                return false;
            }
        }
    }
    return true;
}
