// What a format's writer is given to plan a save: the file (its first bytes already read),
// where the format's own bytes begin, the edits and the system's code page.  Each writer
// (PlanMp3Save, PlanFlacSave, ...) fills plan.Pieces with the whole new file, keeping every
// byte it does not change, or refuses with a reason; media_format.cpp picks the writer and
// then the way to the disk.
#pragma once
#include <cstdint>

#include "formats/code_page_encoder.h"
#include "formats/prefetched_source.h"
#include "formats/save_plan.h"
#include "formats/tag_edits.h"

struct SaveRequest {
    PrefetchedSource& File;
    uint64_t Start;  // after an ID3v2 tag in front of "fLaC"; else 0
    const TagEdits& Edits;
    CodePageEncoder& Encoder;
};
