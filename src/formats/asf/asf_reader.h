// WMA and other ASF files: the objects of the header object - file properties for the
// length, the audio stream's properties, the content descriptions and the metadata
// objects inside the header extension for the tags and WM/Picture - walked by position
// within a fixed count.
#pragma once
#include <cstdint>

#include "formats/asf/asf_guids.h"
#include "formats/media_tags.h"
#include "formats/prefetched_source.h"


// Reads the file that starts with the header object; false only when the system fails a read.
bool ReadAsfFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error);
