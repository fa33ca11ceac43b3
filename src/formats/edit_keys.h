// The keys an object keeps its edits under, for the format of the file it opened.  The
// properties are named by their ID3v2 frames (tag_edits.h), which the MP3, WAV and AIFF
// writers write as they are.  A format of keyed texts (Vorbis comments, MP4 items, ASF
// attributes) keeps them under its own first name for the field, so that a property and
// SetText of that name are one edit; setting or removing a field also removes its other
// names (COMMENT and DESCRIPTION), so that none of them is read in its place.
#pragma once
#include <string>
#include <vector>

#include "formats/media_format.h"
#include "formats/text_fields.h"

// The names of the fields of a format of keyed texts; null for a format of ID3v2 frames.
const FieldNames* KeyedFieldNames(MediaFormat format) noexcept;

// The key an edit of the property named by propertyKey is kept under.
std::u16string EditKeyFor(const FieldNames* names, const std::u16string& propertyKey);

// The keys of a number pair (kTrackKey, kDiscKey): Count empty where the format keeps the
// pair as "n/N" under Number.
struct PairKeys {
    std::u16string Number, Count;
};
PairKeys PairKeysFor(const FieldNames* names, const std::u16string& pairKey);

// Every name of the field that key names in names, key's own first; key alone where it
// names none of the fields.
std::vector<std::u16string> FieldKeysOf(const FieldNames& names, const std::u16string& key);

// The key SetText was given as the format writes it (an ID3v2 identifier's letters in upper
// case); false where the format has no text field of that name.
bool SettableKey(MediaFormat format, std::u16string& key);
