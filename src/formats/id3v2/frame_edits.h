// TagEdits applied to a stored tag's frames.  A changed frame takes the place of the first
// frame it replaces (the end of the tag for a new one), so that the same edits of the
// same tag always give the same frames in the same order.
#pragma once
#include "formats/id3v2/stored_tag.h"
#include "formats/tag_edits.h"

// Drops the frames that ask to be dropped when the tag changes, then applies every edit.
void ApplyEdits(const TagEdits& edits, StoredTag& tag);
