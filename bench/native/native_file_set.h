// The files the native benchmark reads, written once into a folder and listed in its
// manifest: the tag-reading set's generated files (bench/tag_file_generator.h, the same
// sequence as the Windows benchmarks' set) and, at every fifth place, a copy of one of a
// few files that LAME encoded and mutagen tagged, in turn.  The manifest also keeps the
// reads this project's reader makes of each file, for the bare loop to make again.
#pragma once
#include <string>
#include <vector>

#include "recording_source.h"

struct SetFile {
    std::string Kind;  // "generated, ID3v1", "generated, no tag", or an encoded file's name
    std::string Path;
    std::vector<ReadCall> Reads;

    bool Generated() const { return Kind.compare(0, 9, "generated") == 0; }
};

// Writes count files under folder (subfolders of 1,000: s0/t0.mp3 ...), every fifth a copy
// of the encoded files in turn (a name without ".mp3" is its kind), then the manifest.
// False, with the reason printed, when a file cannot be read or written.
bool WriteFileSet(const std::string& folder, const std::vector<std::string>& encoded, int count);

// The files as the manifest lists them; empty when it cannot be read.
std::vector<SetFile> ReadFileSet(const std::string& folder);
