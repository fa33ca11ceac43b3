// Where a file's tags lie, as the writer needs them: the leading ID3v2 tag with its bytes,
// the run after it that a save keeps byte for byte (the audio, and whatever else lies
// there: junk, an APE or Lyrics tag), an ID3v2.4 tag appended at the end and the ID3v1
// tag, found by the same rules the reader follows.
#pragma once
#include <cstdint>
#include <vector>

#include "formats/media_source.h"

struct TagLayout {
    uint64_t FileSize = 0;
    std::vector<uint8_t> LeadingTag;   // the whole leading tag, footer included; empty: none
    uint64_t KeptEnd = 0;              // the kept run is [LeadingTag.size(), KeptEnd)
    std::vector<uint8_t> AppendedTag;  // header, frames and footer; empty: none
    bool HasId3v1 = false;
    uint8_t Id3v1[128] = {};
};

enum class LayoutRead {
    Read,
    ReadFailed,  // the system failed a read: its error in *error
    Truncated,   // the leading tag claims more bytes than the file has
};

LayoutRead ReadTagLayout(MediaSource& file, TagLayout& layout, uint32_t* error);
