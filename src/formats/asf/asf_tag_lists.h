// The objects of an ASF header that hold its tags, as the writer edits them: the content
// description's five texts, and the attributes (name, type, value; language and stream in
// the metadata objects) of the extended content description, the metadata and the metadata
// library objects.  Each object is read whole or refused; an object the edits do not touch
// is written back as it was.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/tag_edits.h"

enum class AsfListKind { Description, Extended, Metadata, Library };

struct AsfAttribute {
    std::u16string Name;
    uint16_t Type = 0;  // 0 text, 1 bytes, 2 boolean, 3 to 5 numbers of 32, 64 and 16 bits
    uint16_t Language = 0, Stream = 0;
    std::vector<uint8_t> Value;
};

struct AsfList {
    AsfListKind Kind = AsfListKind::Extended;
    bool Changed = false;
    bool Fresh = false;  // made by the edits: the file had no such object
    std::array<std::vector<uint8_t>, 5> Texts;  // a content description's, as stored (UTF-16LE)
    std::vector<AsfAttribute> Attributes;
};

// An object's body read into list (of the given kind); false where it cannot be read whole.
bool ParseAsfList(AsfListKind kind, const uint8_t* body, size_t size, AsfList& list);
// The body of the list's object; false where a count or a size outgrows its field.
bool SerialiseAsfList(const AsfList& list, std::vector<uint8_t>& body);

// Applies the edits to the lists: every attribute of an edited name goes (in any letter
// case, from every list), and the new values are added, several values ("; ") as several
// attributes: the first value of a content description text (Title, Author, Copyright,
// Description, Rating) to the first content description, every other value to the first
// extended content description, or to the first metadata library where it is larger than
// that list's 64 KB; a new front cover is a WM/Picture.  A list needed and missing is
// appended, Fresh.
void ApplyAsfEdits(const TagEdits& edits, std::vector<AsfList>& lists);
