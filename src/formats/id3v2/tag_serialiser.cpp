#include "formats/id3v2/tag_serialiser.h"

#include <algorithm>

namespace {

void AppendSize(uint32_t size, bool syncsafe, std::vector<uint8_t>& out) {
    for (int shift = 3; shift >= 0; --shift) {
        out.push_back(syncsafe ? static_cast<uint8_t>((size >> (7 * shift)) & 0x7F)
                               : static_cast<uint8_t>((size >> (8 * shift)) & 0xFF));
    }
}

}  // namespace

bool SerialiseFrames(const StoredTag& tag, std::vector<uint8_t>& out) {
    out.clear();
    for (const StoredFrame& frame : tag.Frames) {
        if (frame.Body.size() > kLargestTagSize) return false;
        out.insert(out.end(), frame.Id.begin(), frame.Id.end());
        AppendSize(static_cast<uint32_t>(frame.Body.size()), tag.Version == 4, out);
        out.push_back(frame.Status);
        out.push_back(frame.Format);
        out.insert(out.end(), frame.Body.begin(), frame.Body.end());
    }
    return true;
}

std::vector<uint8_t> MakeTagBytes(int version, const std::vector<uint8_t>& frames, uint64_t totalSize) {
    std::vector<uint8_t> tag{'I', 'D', '3', static_cast<uint8_t>(version), 0, 0};
    tag.reserve(static_cast<size_t>(totalSize));
    AppendSize(static_cast<uint32_t>(totalSize - 10), true, tag);
    tag.insert(tag.end(), frames.begin(), frames.end());
    tag.resize(static_cast<size_t>(totalSize), 0);
    return tag;
}

uint64_t PaddingFor(uint64_t audioSize) noexcept { return std::min<uint64_t>(1024 + audioSize / 1000, 64 * 1024); }
