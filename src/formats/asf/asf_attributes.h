// The attributes of an ASF (WMA) header: the content description's five texts, and the
// named, typed values of the extended content description and of the metadata and
// metadata library objects.  Text is UTF-16LE; numbers are kept as decimal text; a
// WM/Picture is located, not read.
#pragma once
#include <cstdint>

#include "formats/media_tags.h"
#include "formats/sequential_bytes.h"
#include "formats/text_fields.h"

enum class AttributeList {
    Extended,  // count (16 bits); name length, name, type, value length (16 bits), value
    Metadata,  // count (16 bits); language, stream, name length, type (16 bits), value length (32 bits), name, value
};

class AsfAttributes {
public:
    AsfAttributes(TextFields& fields, MediaTags& tags) noexcept : fields_(fields), tags_(tags) {}

    // The content description object's body: five lengths, then the texts.
    void ReadContentDescription(SequentialBytes& body);
    // A list of attributes whose body starts at offset in the file.
    void ReadList(SequentialBytes& body, uint64_t offset, AttributeList list);

private:
    // One value of type (0 text, 1 bytes, 2 boolean, 3 to 5 numbers of 32, 64 and 16 bits)
    // named name, at offset in the file; false where the body ends first.
    bool ReadValue(SequentialBytes& body, uint64_t offset, const std::u16string& name, uint16_t type, uint32_t size);
    // WM/Picture: type, image length, MIME type and description (UTF-16, terminated), image.
    bool ReadPicture(SequentialBytes& body, uint64_t offset, uint32_t size);

    TextFields& fields_;
    MediaTags& tags_;
};

// Where the properties stand among the attributes.
const FieldNames& AsfFieldNames() noexcept;
