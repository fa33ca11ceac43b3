// A save planned and carried out over bytes in memory, as the TagFile class carries it out
// on a disk: the writers' portable tests read what a save would leave on the disk.
#pragma once
#include <map>
#include <string>

#include "common/media_bytes.h"
#include "formats/media_tags.h"
#include "formats/save_plan.h"
#include "formats/tag_edits.h"

struct PlannedSave {
    SaveVerdict Verdict;
    SaveWay Way = SaveWay::Undecided;
    Bytes File;  // the file after the save: the old bytes where the save was refused
};

// Plans edits into file and applies the plan: in place, through a new file, or not at all.
// The code page is Windows-1252.
PlannedSave SaveEdits(const Bytes& file, const TagEdits& edits);

// What the readers make of a file with these bytes, read from memory.
MediaTags ReadMediaFileBytes(const Bytes& file);

// Edits of texts alone, by key.
TagEdits TextEdits(const std::map<std::u16string, std::u16string>& texts);
