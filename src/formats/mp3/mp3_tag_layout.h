// Where a file's tags lie, as the writer needs them: the ID3v2 tags back to back at the
// start (one media player writes a second in front of the first) with their bytes, the run
// after them that a save keeps byte for byte (the audio, and whatever else lies there:
// junk, an APE or Lyrics tag), an ID3v2.4 tag appended at the end and the ID3v1 tag, found
// by the same rules the reader follows.
#pragma once
#include <cstdint>
#include <vector>

#include "formats/media_source.h"

// Tags back to back at the start of a file, read at most.
constexpr int kMostLeadingTags = 64;

struct LeadingTag {
    uint64_t Offset = 0;
    uint64_t Size = 0;           // header, frames and footer
    bool Readable = false;       // of a version the reader reads; else kept as it stands
    std::vector<uint8_t> Bytes;  // the whole tag, for a readable one
};

struct TagLayout {
    uint64_t FileSize = 0;
    std::vector<LeadingTag> LeadingTags;  // from offset 0 on; empty: none
    uint64_t LeadingEnd = 0;              // where the last of them ends
    uint64_t KeptEnd = 0;                 // the kept run is [LeadingEnd, KeptEnd)
    std::vector<uint8_t> AppendedTag;     // header, frames and footer; empty: none
    bool HasId3v1 = false;
    uint8_t Id3v1[128] = {};
};

enum class LayoutRead {
    Read,
    ReadFailed,  // the system failed a read: its error in *error
    Truncated,   // a leading tag claims more bytes than the file has
};

LayoutRead ReadTagLayout(MediaSource& file, TagLayout& layout, uint32_t* error);
