// An edit shown in the record at once, as reading the saved file would show it: the
// fields a client reads before Save are the ones Save will write.
#pragma once
#include <string>

#include "formats/media_tags.h"

// key and value as TagEdits keeps them.
void ShowEdit(const std::u16string& key, const std::u16string& value, MediaTags& tags);
