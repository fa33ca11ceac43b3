// An existing ID3v1 tag brought up to the edited values, as much as its fields hold: text
// in the system's code page, the year in four digits, the track in ID3v1.1's form, the
// genre by its number.  Fields nobody edited keep their bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "tagwrite/tag_edits.h"

// The system's code page, as the platform converts to it.
class CodePageEncoder {
public:
    virtual ~CodePageEncoder() = default;
    // As many whole characters of text as fit in most bytes; one the code page lacks
    // becomes the code page's default character.
    virtual std::string Encode(const std::u16string& text, size_t most) = 0;
};

// tag: the 128 bytes starting "TAG".
void UpdateId3v1(const TagEdits& edits, CodePageEncoder& encoder, uint8_t* tag);
