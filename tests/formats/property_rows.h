// Every property as the writers' tests set it, with how the reader shows it: Latin-1, CJK,
// a character outside the BMP, several values, a value past 64 KB of UTF-16.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "formats/media_tags.h"

extern const std::u16string kLatinText, kCjkText, kOutsideBmpText;

struct PropertyRow {
    std::u16string Key;  // the property's ID3v2 key (tag_edits.h), or a format's own name
    std::u16string Value;
    std::function<std::u16string(const MediaTags&)> Read;  // "" where absent; Track as "n/N"
};

// The properties; then a text of each of keys, read back under its own name.
std::vector<PropertyRow> PropertyRows(const std::vector<std::u16string>& keys);
