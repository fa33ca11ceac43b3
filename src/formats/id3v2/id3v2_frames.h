// The frames of one ID3v2 tag (2.2, 2.3 or 2.4), walked in order: text, comment and
// picture frames go to the assembly, every other frame is passed by position.
#pragma once
#include "formats/id3v2/id3v2_header.h"
#include "formats/id3v2/tag_assembly.h"
#include "formats/id3v2/tag_stream.h"

// stream runs over the bytes after the tag header up to the end of its frames (clamped to
// the file), with tag-wide unsynchronisation undone where the version has it.
void ReadId3v2Frames(TagStream& stream, const Id3v2Header& header, TagAssembly& assembly);
