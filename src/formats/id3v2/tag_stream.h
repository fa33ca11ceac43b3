// The bytes of an ID3v2 tag's frames as the frames see them: read in order from a run of
// the file, with unsynchronisation (a 0x00 stuffed after every 0xFF) undone on the way
// when the tag or the frame says so.  The bytes come from a region already in memory
// where it holds them, else from the file in bounded chunks, so that a tag of any size is
// walked in fixed memory and a frame nobody needs is passed by position, unread.
#pragma once
#include <cstdint>

#include "formats/file_region.h"

// A point of the stream to come back to: the raw offset and whether the byte before it
// was a 0xFF, whose stuffed 0x00 would then still be due.
struct StreamMark {
    uint64_t RawOffset = 0;
    bool AfterFF = false;
};

class TagStream {
public:
    // The raw run [begin, end) of source; preloaded may hold some or all of it (or be null).
    TagStream(MediaSource& source, uint64_t begin, uint64_t end, bool unsynchronised, const FileRegion* preloaded) noexcept;
    TagStream(const TagStream&) = delete;
    TagStream& operator=(const TagStream&) = delete;

    // Up to count bytes into out (null: passed over); returns how many there were.
    size_t Read(uint8_t* out, size_t count);
    size_t Skip(size_t count) { return Read(nullptr, count); }
    // Continues from mark, a point of this run.
    void Seek(StreamMark mark) noexcept;
    StreamMark Mark() const noexcept { return {raw_, afterFF_}; }

    bool AtEnd() const noexcept { return raw_ >= end_; }
    uint64_t RawOffset() const noexcept { return raw_; }
    uint64_t RawEnd() const noexcept { return end_; }
    // The raw bytes [offset, offset + count) of the run without moving; false where the
    // run or the file ends sooner.
    bool PeekRaw(uint64_t offset, uint8_t* out, size_t count);

    // A read of the file failed (the system's error in Error()) or the file ended before
    // the run did.
    bool Failed() const noexcept { return failed_; }
    bool Truncated() const noexcept { return truncated_; }
    uint32_t Error() const noexcept { return error_; }

private:
    // The bytes in memory from raw_ on, at least one, reading a chunk when needed; null at
    // the end of the run or of the file.
    const uint8_t* Available(size_t* count);

    MediaSource& source_;
    uint64_t raw_;
    uint64_t end_;
    bool unsynchronised_;
    bool afterFF_ = false;
    const FileRegion* preloaded_;
    FileRegion chunk_;
    bool failed_ = false;
    bool truncated_ = false;
    uint32_t error_ = 0;
};
