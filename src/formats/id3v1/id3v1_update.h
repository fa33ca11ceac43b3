// An existing ID3v1 tag brought up to the edited values, as much as its fields hold: text
// in the system's code page, the year in four digits, the track in ID3v1.1's form, the
// genre by its number.  Fields nobody edited keep their bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/code_page_encoder.h"
#include "formats/tag_edits.h"

// tag: the 128 bytes starting "TAG".
void UpdateId3v1(const TagEdits& edits, CodePageEncoder& encoder, uint8_t* tag);
