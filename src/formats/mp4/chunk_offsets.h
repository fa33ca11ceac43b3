// The chunk offset tables of every track of a movie box ("stco" of 32-bit offsets, "co64"
// of 64-bit ones): where each chunk of samples lies in the file.  When a save moves the
// bytes after the movie box, every offset into them moves with them, and a 32-bit table
// whose offset would no longer fit becomes a 64-bit one.
#pragma once
#include <cstdint>
#include <vector>

#include "formats/mp4/box_tree.h"

class ChunkOffsetTables {
public:
    // Reads the tables under moov/trak/mdia/minf/stbl; false where one holds fewer offsets
    // than its count says.  The nodes must stay where they are until Write.
    bool Read(BoxNode& moov);
    // Makes 64-bit each 32-bit table of which an offset at or past from would not fit moved
    // by by; whether any was.
    bool WidenFor(uint64_t from, int64_t by);
    // Writes every table with the offsets at or past from moved by by.
    void Write(uint64_t from, int64_t by);
    // Whether some track keeps offsets of other kinds (sample auxiliary information) that
    // moving the media would leave wrong.
    bool HasOtherOffsets() const noexcept { return otherOffsets_; }

private:
    struct Table {
        BoxNode* Box;
        bool Wide;
        std::vector<uint8_t> VersionAndFlags;
        std::vector<uint64_t> Offsets;
        std::vector<uint8_t> Trailing;
    };
    bool ReadTable(BoxNode& box);
    static uint64_t Moved(uint64_t offset, uint64_t from, int64_t by) noexcept {
        return offset >= from ? offset + static_cast<uint64_t>(by) : offset;
    }

    std::vector<Table> tables_;
    bool otherOffsets_ = false;
};
