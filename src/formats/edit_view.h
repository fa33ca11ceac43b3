// An edit shown in the record at once, as reading the saved file would show it: the
// fields a client reads before Save are the ones Save will write.
#pragma once
#include <string>

#include "formats/media_tags.h"
#include "formats/text_fields.h"

// key and value as TagEdits keeps them; names: the format's fields where its tags are keyed
// texts (edit_keys.h), null where they are ID3v2 frames.
void ShowEdit(const FieldNames* names, const std::u16string& key, const std::u16string& value, MediaTags& tags);
