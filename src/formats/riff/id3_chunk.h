// An ID3v2 tag kept in a chunk of a WAV or AIFF file ("id3 " or "ID3 "), read as the MP3
// reader reads one at the start of a file.
#pragma once
#include <cstdint>
#include <string>

#include "formats/media_tags.h"
#include "formats/riff/chunk_walk.h"

// Reads the tag into tags (its properties, texts and picture) and names it in types
// ("ID3v2.3"); false only when the system fails a read.  A chunk without a readable tag
// leaves both as they were.
bool ReadId3Chunk(MediaSource& file, const Chunk& chunk, MediaTags& tags, std::u16string& types, uint32_t* error);
