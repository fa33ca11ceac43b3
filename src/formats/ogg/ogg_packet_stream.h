// The packets of one logical stream of an Ogg file, read across the pages they span:
// pages are found by position from their headers, the bytes of a packet read in bounded
// chunks or passed over unread, and the walk stops after a fixed count of pages.
#pragma once
#include <array>
#include <cstdint>

#include "formats/file_region.h"
#include "formats/sequential_bytes.h"

struct OggPage {
    uint64_t Offset = 0;
    uint8_t Flags = 0;  // 1: continues a packet, 2: first page, 4: last page
    uint64_t Granule = 0;
    uint32_t Serial = 0;
    size_t Segments = 0;
    std::array<uint8_t, 255> Lacing{};
    uint64_t BodyStart = 0;
    uint64_t End = 0;  // past the body
};

// The page header at the start of bytes (size of them); false when there is none.
bool ParseOggPage(const uint8_t* bytes, size_t size, uint64_t offset, OggPage& page) noexcept;

class OggPacketStream final : public SequentialBytes {
public:
    // preloaded may hold some of the file (or be null): its bytes are not read again.
    OggPacketStream(MediaSource& file, uint64_t fileSize, const FileRegion* preloaded = nullptr) noexcept
        : file_(file), fileSize_(fileSize), preloaded_(preloaded) {}
    OggPacketStream(const OggPacketStream&) = delete;
    OggPacketStream& operator=(const OggPacketStream&) = delete;

    // The first packet that begins on the page at offset, of that page's stream.
    bool Open(uint64_t pageOffset);
    // The packet after this one, the rest of this one passed over.
    bool NextPacket();
    // Continues a packet of the page at pageOffset from position, a byte of it there.
    bool Resume(uint64_t pageOffset, uint64_t position);

    size_t Read(uint8_t* out, size_t count) override;

    const OggPage& Page() const noexcept { return page_; }
    uint64_t Position() const noexcept { return position_; }
    // The system failed a read (its error in Error()).
    bool Failed() const noexcept { return failed_; }
    uint32_t Error() const noexcept { return error_; }

private:
    bool LoadPage(uint64_t offset);
    // The next page of the stream, which must continue the packet when continuation is set.
    bool NextPage(bool continuation);
    // The run of the packet that starts at segment: its bytes on this page, and whether it ends here.
    void BeginRun(size_t segment) noexcept;
    // The bytes in memory from position_ on, at most left_; null where the file ends first.
    const uint8_t* Available(size_t* count);

    MediaSource& file_;
    uint64_t fileSize_;
    const FileRegion* preloaded_;
    OggPage page_;
    FileRegion header_;
    FileRegion chunk_;
    int pagesWalked_ = 0;
    size_t nextSegment_ = 0;
    uint64_t position_ = 0;
    uint64_t left_ = 0;
    bool ends_ = true;
    bool failed_ = false;
    uint32_t error_ = 0;
};
