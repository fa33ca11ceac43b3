// Vorbis comments written: the comment list of FLAC, Ogg Vorbis and Opus brought up to an
// object's edits, every field it does not edit kept byte for byte in its order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/tag_edits.h"

// The keys of edits.Texts are the fields' own names: the properties arrive under their
// Vorbis names already (edit_keys.h, where every property has one), and any other key,
// "TIT2" too, is the name of a field of its own, as SetText takes it.  Setting or removing
// a field removes its other names as well (DESCRIPTION with COMMENT).

// A name a field can have: printable ASCII but '=', not empty.
bool IsVorbisFieldName(const std::u16string& key) noexcept;

// The comment list (vendor string's length on, no framing bit) of `old` (size bytes; may be
// null/0 for none: vendor "tarvik") with the edits applied: each edited key's fields (names
// compared ignoring ASCII case) removed and its values ("; "-separated) appended as fields of
// that name; "" removes. When picturesAsFields, RemovePictures drops every
// METADATA_BLOCK_PICTURE (and COVERART) field and Cover adds one (base64 of FlacPictureBody),
// replacing the front covers (type 3) there were.
// Fields not edited kept byte for byte in their order; bytes after the last field are dropped.
// False where old cannot be walked whole, where an edited key is no field name
// (IsVorbisFieldName), or where the list would pass 32-bit lengths.
bool EditVorbisComments(const uint8_t* old, size_t size, const TagEdits& edits, bool picturesAsFields,
                        std::vector<uint8_t>& out);

// A FLAC PICTURE block's body (also METADATA_BLOCK_PICTURE's bytes before base64): front
// cover (type 3), the MIME type, empty description, width/height/depth/colors 0 where unknown, the image.
std::vector<uint8_t> FlacPictureBody(const CoverImage& cover);
