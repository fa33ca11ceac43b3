// Vorbis comments, the tags of FLAC, Ogg Vorbis and Opus: a vendor string and fields
// "NAME=value" in UTF-8, names in any letter case (kept upper-case), a name repeated for
// several values.
#pragma once
#include "formats/sequential_bytes.h"
#include "formats/text_fields.h"

// Told where a METADATA_BLOCK_PICTURE value (size bytes of base64) starts, with the bytes
// positioned there; returns how many of them it read.
class PictureNotice {
public:
    virtual ~PictureNotice() = default;
    virtual size_t NotePicture(uint32_t size) = 0;
};

// Reads the comments from the vendor string's length on, into fields under upper-case
// names; pictures go to notice where there is one.  A field ends the reading where the
// bytes end before it does.
void ReadVorbisComments(SequentialBytes& bytes, TextFields& fields, PictureNotice* notice);

// Where the properties stand in Vorbis comments.
const FieldNames& VorbisFieldNames() noexcept;
