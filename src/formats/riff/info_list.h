// WAV's LIST "INFO" chunk: texts in the system's code page under four-letter ids (INAM,
// IART, ...), a few of which the properties are read from where the ID3v2 chunk lacks them.
// A save updates the ids that exist to the edits of their properties, so that the two
// tags agree; it adds none.
#pragma once
#include <cstdint>
#include <vector>

#include "formats/code_page_encoder.h"
#include "formats/tag_edits.h"
#include "formats/text_fields.h"

// The INFO ids of the properties, by their keys in FieldNames.
const FieldNames& InfoFieldNames() noexcept;

// Whether any edit names a property that INFO keeps.
bool EditsInfo(const TagEdits& edits);

enum class InfoUpdate {
    Unchanged,
    Changed,  // list holds the new body
    Damaged,  // its items cannot be walked whole
};

// list: the LIST chunk's body ("INFO" and its items), changed by the edits: an item of an
// edited property takes the new value (the first of its id; the others go), or goes when
// the value is "".
InfoUpdate UpdateInfoList(const TagEdits& edits, CodePageEncoder& encoder, std::vector<uint8_t>& list);
