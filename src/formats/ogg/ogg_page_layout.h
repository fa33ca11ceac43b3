// Packets laid out on Ogg pages as an encoder lays out its header packets: each packet
// right after the one before, on as many pages as it takes, a page holding at most 255
// lacing values; the first page starts fresh.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// What the new pages carry of the stream.
struct OggPageStamp {
    uint32_t Serial = 0;
    uint32_t FirstSequence = 0;  // the first page's number; the others follow it
    bool EndsStream = false;     // the last page ends the stream (flag 4)
};

// An old page whose shape the new pages may take: its lacing values and granule position.
struct OggPageShape {
    size_t Segments = 0;
    uint64_t Granule = 0;
};

// The pages, checksums made.  Where shapes (the old pages') hold as many lacing values as
// the packets take, the pages take those shapes, so that packets of the sizes they had lie
// on pages of the sizes they had; else each page but the last holds 255.  A page on which
// a packet ends has the old page's granule position, or 0 (as header pages have), one on
// which none ends has none (all ones).  *pageCount: how many pages.
std::vector<uint8_t> LayOutOggPages(const std::vector<std::vector<uint8_t>>& packets, const OggPageStamp& stamp,
                                    const std::vector<OggPageShape>& shapes, uint32_t* pageCount);
