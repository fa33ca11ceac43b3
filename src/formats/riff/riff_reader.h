// WAV (RIFF "WAVE") and AIFF (IFF "AIFF", "AIFC"): the audio from "fmt " or "COMM" and the
// size of the sound data, the tags from an ID3v2 chunk where there is one and from WAV's
// LIST "INFO" chunk for what it lacks.
#pragma once
#include <cstdint>

#include "formats/media_tags.h"
#include "formats/prefetched_source.h"

// Read the file that starts with "RIFF....WAVE" or "FORM....AIFF"/"AIFC"; false only
// when the system fails a read.
bool ReadWavFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error);
bool ReadAiffFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error);
