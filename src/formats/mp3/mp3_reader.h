// Reads an MP3 file's tags (ID3v2 at the start and appended at the end, ID3v1) and its
// MPEG audio properties in a few reads at explicit offsets, in bounded memory and time
// whatever the file holds.
#pragma once
#include <cstdint>

#include "formats/media_tags.h"
#include "formats/prefetched_source.h"

// Fills out (cleared first) from a file read as MP3: ID3 tags and MPEG audio; the reader
// keeps the file's prefetched first bytes as its own.  False only when the system fails a
// read, with its error in *error.
bool ReadMp3File(PrefetchedSource& file, MediaTags& out, uint32_t* error);
