// A MediaSource whose first bytes were read once, for the recognition of the format, and
// are served from memory to the reader that follows: a file costs no second read of its
// start.
#pragma once
#include <utility>

#include "formats/file_region.h"
#include "formats/media_source.h"

class PrefetchedSource final : public MediaSource {
public:
    explicit PrefetchedSource(MediaSource& file) noexcept : file_(file) {}

    // Reads the first size bytes (fewer in a smaller file) and the file's size, which a
    // smaller file's read already tells.
    bool Prefetch(size_t size, uint32_t* error);
    const FileRegion& Head() const noexcept { return head_; }
    // Hands the first bytes to a reader that keeps and extends them; reads are then all the file's.
    FileRegion TakeHead() noexcept { return std::move(head_); }
    uint64_t Size() const noexcept { return size_; }

    bool GetSize(uint64_t* size, uint32_t* error) noexcept override;
    bool ReadAt(uint64_t offset, uint8_t* buffer, size_t size, size_t* read, uint32_t* error) noexcept override;
    std::u16string DecodeCodePage(const char* text, size_t size) override { return file_.DecodeCodePage(text, size); }

private:
    MediaSource& file_;
    FileRegion head_;
    uint64_t size_ = 0;
};
