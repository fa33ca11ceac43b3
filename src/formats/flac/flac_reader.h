// FLAC: the metadata blocks after "fLaC" - STREAMINFO for the audio, the Vorbis comment
// block for the tags, PICTURE blocks - walked by position, the pictures left unread.
#pragma once
#include <cstdint>

#include "formats/media_tags.h"
#include "formats/prefetched_source.h"

// Reads the FLAC stream whose "fLaC" is at start; false only when the system fails a read.
bool ReadFlacFile(PrefetchedSource& file, uint64_t start, MediaTags& tags, uint32_t* error);
