// MP4 and M4A (AAC, ALAC): the "moov" box wherever it lies - the sound track's media
// header, sample entry and esds for the audio, the "ilst" items under udta/meta for the
// tags and the "covr" picture - walked by position within fixed depths and counts.
#pragma once
#include <cstdint>

#include "formats/media_tags.h"
#include "formats/prefetched_source.h"

// Reads the file whose first box is "ftyp"; false only when the system fails a read.
bool ReadMp4File(PrefetchedSource& file, MediaTags& tags, uint32_t* error);
