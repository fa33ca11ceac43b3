#include "formats/id3v2/stored_tag.h"

#include <algorithm>

#include "formats/id3v2/frame_ids.h"
#include "formats/id3v2/frame_size_choice.h"
#include "formats/id3v2/id3v2_header.h"
#include "formats/id3v2/unsynchronisation.h"
#include "formats/id3v2/tag_upgrade.h"

namespace {

constexpr uint8_t kV4Unsynchronised = 0x02;

// What lies at next of the frames held in body (size bytes).
Landing LandingIn(const uint8_t* body, size_t size, uint64_t next) noexcept {
    if (next == size) return Landing::End;
    if (next > size) return Landing::Nowhere;
    return LandingOf(body + next, static_cast<size_t>(std::min<uint64_t>(4, size - next)));
}

// A 2.4 frame's size, read by the rules the reader follows.
uint32_t FrameSizeOf(const uint8_t* body, size_t size, size_t headerEnd, const uint8_t* sizeBytes) {
    return ChooseFrameSize(
        sizeBytes, headerEnd, [&](uint64_t at) { return LandingIn(body, size, at); },
        [&](uint64_t at) { return std::all_of(body + at, body + size, [](uint8_t b) { return b == 0; }); });
}

// The bytes after the extended header (none where one is flagged but missing); false when
// it runs past the tag.
bool SkipExtendedHeader(const uint8_t* body, size_t size, int version, size_t* at) {
    if (size < 4) return false;
    if (IsMissingExtendedHeader(body)) {
        *at = 0;
        return true;
    }
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

// The frame identifier at bytes in a tag of version 3 or 4, a padded 2.2 one under its
// later name; empty where there is none, which ends the frames.
std::string FrameIdAt(const uint8_t* bytes) {
    if (IsFrameId(bytes, 4)) return std::string(reinterpret_cast<const char*>(bytes), 4);
    const char16_t* renamed = PaddedOldFrameId(bytes);
    return renamed != nullptr ? std::string(renamed, renamed + 4) : std::string();
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

// Where the frames end: the tag's end, or zeros to it.
bool IsEndOfFrames(const uint8_t* body, size_t size, size_t at) {
    return std::all_of(body + at, body + size, [](uint8_t b) { return b == 0; });
}

TagParse ParseFrames(const uint8_t* body, size_t size, const Id3v2Header& header, StoredTag& tag) {
    const int version = header.Version;
    const size_t headerSize = version == 2 ? 6 : 10;
    size_t at = 0;
    if (header.HasExtendedHeader() && !SkipExtendedHeader(body, size, version, &at)) return TagParse::LostHeader;
    for (;;) {
        if (size - at < headerSize) return IsEndOfFrames(body, size, at) ? TagParse::Parsed : TagParse::LostFrames;
        const uint8_t* bytes = body + at;
        const std::string id = version == 2 ? std::string() : FrameIdAt(bytes);
        if (version == 2 ? !IsFrameId(bytes, 3) : id.empty()) {
            return IsEndOfFrames(body, size, at) ? TagParse::Parsed : TagParse::LostFrames;
        }
        uint32_t frameSize = 0;
        if (version == 2) {
            frameSize = ReadBigEndian(bytes + 3, 3);
        } else if (version == 3) {
            frameSize = ReadBigEndian(bytes + 4, 4);
        } else {
            frameSize = FrameSizeOf(body, size, at + headerSize, bytes + 4);
        }
        if (frameSize > size - at - headerSize) return TagParse::LostFrames;
        StoredFrame frame;
        const uint8_t* data = bytes + headerSize;
        frame.Body.assign(data, data + frameSize);
        at += headerSize + frameSize;
        if (version == 2) {
            if (UpgradeFrom22(bytes, frame)) tag.Frames.push_back(std::move(frame));
            continue;
        }
        frame.Id = id;
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
    return ParseFrames(body.data(), body.size(), header, tag);
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
