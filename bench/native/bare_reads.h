// The reads a reader made of a file made again with nothing between them: open, fstat,
// the same preads at the same offsets and sizes, close.  What the reader costs beyond its
// system calls is its time over this loop's.
#pragma once
#include <cstdint>
#include <vector>

#include "recording_source.h"

// The bytes that arrived (0 when the file does not open).
uint64_t ReplayReads(const char* path, const std::vector<ReadCall>& reads);
