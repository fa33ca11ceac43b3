// Ogg Vorbis and Opus: the identification header for the audio, the comment header
// (Vorbis comments, across as many pages as it takes) for the tags and pictures, and the
// granule position of the last page, found from the end, for the length.
#pragma once
#include <cstdint>

#include "formats/media_tags.h"
#include "formats/prefetched_source.h"

// Reads the Ogg file that starts with "OggS"; false only when the system fails a read.
// A stream of another codec is named in TagTypes and gives no length rather than a wrong one.
bool ReadOggFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error);
