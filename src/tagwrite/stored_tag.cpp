#include "tagwrite/stored_tag.h"

#include <algorithm>

#include "formats/frame_ids.h"
#include "formats/id3v2_header.h"
#include "formats/unsynchronisation.h"
#include "tagwrite/tag_upgrade.h"

namespace {

constexpr uint8_t kV4Unsynchronised = 0x02;

// Whether frames at offset next of body may follow: the end, padding or a frame identifier.
bool LandsOnFrame(const uint8_t* body, size_t size, uint64_t next) {
    if (next == size) return true;
    if (next > size) return false;
    if (body[next] == 0) return true;
    return size - next >= 4 && IsFrameId(body + next, 4);
}

// 2.4 sizes are syncsafe, but some encoders wrote plain integers: the one that leads to a
// next frame is meant, as the reader decides.
uint32_t FrameSizeOf(const uint8_t* body, size_t size, size_t headerEnd, const uint8_t* sizeBytes) {
    const uint32_t plain = ReadBigEndian(sizeBytes, 4);
    uint32_t syncsafe = 0;
    const bool valid = ReadSyncsafe(sizeBytes, &syncsafe);
    if (valid && syncsafe == plain) return plain;
    if (valid && LandsOnFrame(body, size, headerEnd + uint64_t{syncsafe})) return syncsafe;
    if (LandsOnFrame(body, size, headerEnd + uint64_t{plain})) return plain;
    return valid ? syncsafe : plain;
}

// The bytes after the extended header; false when it runs past the tag.
bool SkipExtendedHeader(const uint8_t* body, size_t size, int version, size_t* at) {
    if (size < 4) return false;
    uint32_t length = 0;
    if (version == 3) {
        length = ReadBigEndian(body, 4) + 4;
    } else if (!ReadSyncsafe(body, &length) || length < 6) {
        return false;
    }
    if (length > size) return false;
    *at = length;
    return true;
}

// A 2.4 frame's own unsynchronisation undone after its extra header bytes (group,
// encryption method, data length), which the reader also takes as they stand.
void UndoFrameUnsynchronisation(StoredFrame& frame) {
    const size_t extra = DataOffset(frame, 4);
    if (frame.Body.size() > extra) {
        const size_t kept = RemoveUnsynchronisation(frame.Body.data() + extra, frame.Body.size() - extra);
        frame.Body.resize(extra + kept);
    }
    frame.Format &= static_cast<uint8_t>(~kV4Unsynchronised);
}

void ParseFrames(const uint8_t* body, size_t size, const Id3v2Header& header, StoredTag& tag) {
    const int version = header.Version;
    const size_t headerSize = version == 2 ? 6 : 10;
    size_t at = 0;
    if (header.HasExtendedHeader() && !SkipExtendedHeader(body, size, version, &at)) return;
    while (size - at >= headerSize && IsFrameId(body + at, version == 2 ? 3 : 4)) {
        const uint8_t* bytes = body + at;
        uint32_t frameSize = 0;
        if (version == 2) {
            frameSize = ReadBigEndian(bytes + 3, 3);
        } else if (version == 3) {
            frameSize = ReadBigEndian(bytes + 4, 4);
        } else {
            frameSize = FrameSizeOf(body, size, at + headerSize, bytes + 4);
        }
        if (frameSize > size - at - headerSize) return;
        StoredFrame frame;
        const uint8_t* data = bytes + headerSize;
        frame.Body.assign(data, data + frameSize);
        at += headerSize + frameSize;
        if (version == 2) {
            if (UpgradeFrom22(bytes, frame)) tag.Frames.push_back(std::move(frame));
            continue;
        }
        frame.Id.assign(reinterpret_cast<const char*>(bytes), 4);
        frame.Status = bytes[8];
        frame.Format = bytes[9];
        if (version == 4 && ((frame.Format & kV4Unsynchronised) || header.Unsynchronised())) {
            UndoFrameUnsynchronisation(frame);
        }
        tag.Frames.push_back(std::move(frame));
    }
}

}  // namespace

TagParse ParseStoredTag(const uint8_t* bytes, size_t size, StoredTag& tag) {
    tag = StoredTag();
    Id3v2Header header;
    if (size < 10 || !ParseId3v2Header(bytes, header) || !header.Readable()) return TagParse::Unwritable;
    tag.Version = header.Version == 4 ? 4 : 3;
    std::vector<uint8_t> body(bytes + 10, bytes + std::min<uint64_t>(size, 10ull + header.Size));
    // Before 2.4 unsynchronisation covers the whole tag, frame headers included.
    if (header.Version < 4 && header.Unsynchronised()) body.resize(RemoveUnsynchronisation(body.data(), body.size()));
    ParseFrames(body.data(), body.size(), header, tag);
    return TagParse::Parsed;
}

bool DropsOnTagChange(const StoredFrame& frame, int version) noexcept {
    return (frame.Status & (version == 4 ? 0x40 : 0x80)) != 0;
}

bool IsOpaque(const StoredFrame& frame, int version) noexcept {
    return (frame.Format & (version == 4 ? 0x0C : 0xC0)) != 0;
}

size_t DataOffset(const StoredFrame& frame, int version) noexcept {
    const uint8_t f = frame.Format;
    if (version == 4) return ((f & 0x40) ? 1 : 0) + ((f & 0x04) ? 1 : 0) + ((f & 0x01) ? 4 : 0);
    return ((f & 0x80) ? 4 : 0) + ((f & 0x40) ? 1 : 0) + ((f & 0x20) ? 1 : 0);
}
