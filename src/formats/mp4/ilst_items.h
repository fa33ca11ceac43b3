// The items of an MP4 "ilst" box: each named by its type ("\u00A9nam", "trkn") or, for a
// freeform item, "----:" with its mean and name ("----:com.apple.iTunes:MOOD"), holding
// one or more "data" boxes whose type says what the value is.
#pragma once
#include "formats/media_tags.h"
#include "formats/mp4/box_reader.h"
#include "formats/text_fields.h"

// Reads the items of ilst into fields (texts, numbers, "3/12" pairs, genre numbers by
// name) and offers a "covr" image to tags as a front cover, unread.
void ReadItems(BoxReader& boxes, const Box& ilst, TextFields& fields, MediaTags& tags);

// Where the properties stand among the items.
const FieldNames& Mp4FieldNames() noexcept;
