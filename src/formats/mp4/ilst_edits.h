// The edits made to the items of an "ilst" box: each text edit replaces every item of its
// field (under each of the field's names, "gnre" with "\u00A9gen") where the first of them
// stood, or adds the item before the covers; the new cover replaces the first image of
// "covr".  Items no edit names stay as their bytes.
#pragma once
#include <string>
#include <vector>

#include "formats/mp4/box_tree.h"
#include "formats/tag_edits.h"

// The key an item is read under: its type as Latin-1 ("\u00A9nam"), or for a freeform item
// "----:" with its mean and name.
std::u16string ItemKey(const BoxNode& item);

// Applies edits to items (an ilst's children, in order); false with a reason where a value
// cannot be written as its item holds it (a track number that is no number).
bool EditItems(const TagEdits& edits, std::vector<BoxNode>& items, std::u16string* reason);

// The covers after every other item, each group in its order: a text edit then leaves the
// covers where they were.
void PutCoversLast(std::vector<BoxNode>& items);
