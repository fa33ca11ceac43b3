// The pages after rewritten header pages, streamed into the new file with the sequence
// numbers of their stream moved by as many pages as the headers gained or lost.  Only the
// page headers change: each page of the stream, up to and including its last (flag 4),
// gets its new number and its checksum moved with it, without reading the body; a page of
// another stream, and every page after the stream's end or from a later first page of the
// same serial number (a chained link of its own), goes as it was.
#pragma once
#include <cstdint>

#include "formats/save_plan.h"

enum class PageChain {
    Whole,       // pages one after another up to the end of the run
    Broken,      // somewhere no page starts where the one before ended, or a page runs past the end
    ReadFailed,  // the system failed a read
};

// Whether [start, end) of file is pages end to end, as the renumbering needs; reads the
// page headers only.
PageChain CheckPageChain(MediaSource& file, uint64_t start, uint64_t end, uint32_t* error);

class OggRenumbering final : public RunRewriter {
public:
    OggRenumbering(uint32_t serial, uint32_t shift) noexcept : serial_(serial), shift_(shift) {}
    bool Write(MediaSource& old, uint64_t start, uint64_t end, ByteSink& out, uint32_t* error) override;

private:
    uint32_t serial_;
    uint32_t shift_;  // added modulo 2^32
};
