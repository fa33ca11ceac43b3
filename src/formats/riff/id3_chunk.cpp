#include "formats/riff/id3_chunk.h"

#include <algorithm>

#include "formats/id3v2/id3v2_frames.h"
#include "formats/id3v2/id3v2_header.h"
#include "formats/id3v2/tag_assembly.h"
#include "formats/id3v2/tag_stream.h"
#include "formats/text_fields.h"

bool ReadId3Chunk(MediaSource& file, const Chunk& chunk, MediaTags& tags, std::u16string& types, uint32_t* error) {
    FileRegion head;
    if (!ReadRegion(file, chunk.Start, 10, head, error)) return false;
    Id3v2Header header;
    if (head.Bytes.size() < 10 || !ParseId3v2Header(head.Bytes.data(), header) || !header.Readable()) return true;
    const uint64_t end = chunk.Start + std::min<uint64_t>(chunk.Size, 10ull + header.Size);
    TagStream stream(file, chunk.Start + 10, end, header.Unsynchronised() && header.Version < 4, nullptr);
    TagAssembly assembly(tags);
    ReadId3v2Frames(stream, header, assembly);
    if (stream.Failed()) {
        *error = stream.Error();
        return false;
    }
    assembly.Finish();
    AddTagType(types, u"ID3v2." + std::u16string(1, static_cast<char16_t>(u'0' + header.Version)));
    return true;
}
