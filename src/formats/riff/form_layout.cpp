#include "formats/riff/form_layout.h"

#include <cstring>

#include "formats/file_region.h"

namespace {

// As many chunks as the reader walks.
constexpr size_t kMostChunks = 4096;

uint32_t SizeAt(const uint8_t* bytes, bool bigEndian) noexcept {
    return bigEndian ? static_cast<uint32_t>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3]
                     : bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

FormRead Damaged(std::u16string* reason, const char16_t* why) {
    *reason = why;
    return FormRead::Damaged;
}

}  // namespace

bool FormChunk::Is(const char* id) const noexcept { return std::memcmp(Id, id, 4) == 0; }

FormRead ReadFormLayout(MediaSource& file, uint64_t fileSize, bool bigEndian, FormLayout& layout,
                        std::u16string* reason, uint32_t* error) {
    layout = FormLayout();
    layout.BigEndian = bigEndian;
    layout.FileSize = fileSize;
    FileRegion header;
    if (!ReadRegion(file, 0, 12, header, error)) return FormRead::ReadFailed;
    if (header.Bytes.size() < 12) return Damaged(reason, u"it ends inside its first chunk's header");
    const uint32_t formSize = SizeAt(header.At(4), bigEndian);
    if (formSize & 1) return Damaged(reason, u"the size of its RIFF form is odd");
    layout.FormEnd = 8ull + formSize;
    // The one gap allowed: an odd last chunk's pad byte missing at the end of the file.
    if (layout.FormEnd > fileSize + 1 || formSize < 4) {
        return Damaged(reason, u"its RIFF form runs past the end of the file");
    }
    for (uint64_t at = 12; at < layout.FormEnd;) {
        if (layout.Chunks.size() == kMostChunks) return Damaged(reason, u"it holds more chunks than this class walks");
        if (at + 8 > fileSize) return Damaged(reason, u"its RIFF form runs past the end of the file");
        if (layout.FormEnd - at < 8) return Damaged(reason, u"its chunks do not fill its RIFF form");
        if (!ReadRegion(file, at, 8, header, error)) return FormRead::ReadFailed;
        if (header.Bytes.size() < 8) return Damaged(reason, u"a chunk runs past the end of the file");
        FormChunk chunk;
        std::memcpy(chunk.Id, header.At(at), 4);
        chunk.Offset = at;
        chunk.Size = SizeAt(header.At(at + 4), bigEndian);
        const uint64_t bodyEnd = at + 8 + chunk.Size;
        if (bodyEnd > fileSize || bodyEnd > layout.FormEnd) {
            return Damaged(reason, u"a chunk runs past the end of the file or of its RIFF form");
        }
        chunk.PadMissing = (chunk.Size & 1) != 0 && bodyEnd == fileSize;
        at = chunk.End();
        layout.Chunks.push_back(chunk);
        if (chunk.PadMissing) break;
    }
    if (layout.FormEnd > fileSize && (layout.Chunks.empty() || !layout.Chunks.back().PadMissing)) {
        return Damaged(reason, u"its RIFF form runs past the end of the file");
    }
    return FormRead::Read;
}

std::vector<uint8_t> ChunkHeader(const char* id, uint32_t size, bool bigEndian) {
    std::vector<uint8_t> bytes(id, id + 4);
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 24 - 8 * i : 8 * i;
        bytes.push_back(static_cast<uint8_t>(size >> shift));
    }
    return bytes;
}
