// The header of a FLAC picture (a PICTURE block, or an Ogg METADATA_BLOCK_PICTURE once its
// base64 is undone): type, MIME type and description with their lengths, width, height,
// depth and colours, and the image's length; the image follows.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formats/sequential_bytes.h"

// Reads the header, passing over its texts; *headerSize is its length in bytes.  False
// where the bytes end first.
bool ReadFlacPictureHeader(SequentialBytes& bytes, uint32_t* type, uint32_t* imageSize, size_t* headerSize);
