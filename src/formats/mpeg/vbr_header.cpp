#include "formats/mpeg/vbr_header.h"

#include <cstring>

#include "formats/id3v2/id3v2_header.h"

namespace {

// Xing sits after the side information, whose size depends on version and channels.
uint32_t XingOffset(const MpegFrame& frame) noexcept {
    if (frame.Version == 1) return frame.Channels == 1 ? 4 + 17 : 4 + 32;
    return frame.Channels == 1 ? 4 + 9 : 4 + 17;
}

bool ParseXing(const uint8_t* bytes, const MpegFrame& frame, VbrHeader& header) noexcept {
    const uint32_t at = XingOffset(frame);
    if (frame.Layer != 3 || at + 12 > frame.Length) return false;
    const bool variable = std::memcmp(bytes + at, "Xing", 4) == 0;
    if (!variable && std::memcmp(bytes + at, "Info", 4) != 0) return false;
    header.Variable = variable;
    const uint32_t flags = ReadBigEndian(bytes + at + 4, 4);
    header.Frames = (flags & 1) ? ReadBigEndian(bytes + at + 8, 4) : 0;
    return true;
}

bool ParseVbri(const uint8_t* bytes, const MpegFrame& frame, VbrHeader& header) noexcept {
    // Always 32 bytes after the frame header: "VBRI", version, delay, quality, bytes, frames.
    const uint32_t at = 4 + 32;
    if (at + 18 > frame.Length || std::memcmp(bytes + at, "VBRI", 4) != 0) return false;
    header.Variable = true;
    header.Frames = ReadBigEndian(bytes + at + 14, 4);
    return true;
}

}  // namespace

bool ParseVbrHeader(const uint8_t* bytes, const MpegFrame& frame, VbrHeader& header) noexcept {
    header = VbrHeader();
    return ParseXing(bytes, frame, header) || ParseVbri(bytes, frame, header);
}
