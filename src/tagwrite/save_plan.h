// What a save writes, decided before anything is written: the new tag in the space of the
// old one when it fits there and nothing else changes, else a whole new file made of the
// new tag, the kept run of the old file and the ID3v1 tag.
#pragma once
#include <cstdint>
#include <vector>

#include "tagwrite/id3v1_update.h"
#include "tagwrite/tag_edits.h"
#include "tagwrite/tag_layout.h"

// Padding beyond this is given back by writing the file anew.
constexpr uint64_t kMostKeptPadding = 256 * 1024;

struct SavePlan {
    bool InPlace = false;
    std::vector<uint8_t> Tag;  // in place: exactly as long as the old tag
    // A new file: Tag, the old file's bytes [KeptStart, KeptEnd), then Id3v1 (empty: none).
    uint64_t KeptStart = 0;
    uint64_t KeptEnd = 0;
    std::vector<uint8_t> Id3v1;
    int Version = 3;
};

enum class SaveRefusal {
    None,
    UnwritableTag,  // the leading tag is of a version or form the writer cannot keep
    TagTooLarge,    // the new tag is larger than ID3v2 can count
};

SaveRefusal PlanSave(const TagLayout& layout, const TagEdits& edits, CodePageEncoder& encoder, SavePlan& plan);
