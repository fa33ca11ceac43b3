// This project's reader over a file on a disk, as a native client reads one: open, fstat
// and preads through a PosixFileSource, close.
#pragma once
#include <vector>

#include "formats/media_tags.h"
#include "recording_source.h"

// False when the file cannot be opened or read.  With reads, every read the reader makes
// is noted there.
bool ReadWithTarvik(const char* path, MediaTags& tags, std::vector<ReadCall>* reads = nullptr);
