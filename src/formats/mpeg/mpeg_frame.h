// The 4-byte header of an MPEG audio frame (MPEG-1, 2 and 2.5; Layers I, II and III).
#pragma once
#include <cstdint>

struct MpegFrame {
    int Version = 0;  // 1, 2, or 25 for MPEG-2.5
    int Layer = 0;
    long Bitrate = 0;  // kbit/s
    long SampleRate = 0;
    long Channels = 0;
    long SamplesPerFrame = 0;
    uint32_t Length = 0;  // bytes, header included

    // Whether other can follow this frame in the same stream.
    bool Matches(const MpegFrame& other) const noexcept {
        return Version == other.Version && Layer == other.Layer && SampleRate == other.SampleRate;
    }
};

// The longest frame any header describes (Layer II at 160 kbit/s and 8 kHz, padded).
constexpr uint32_t kLongestMpegFrame = 2881;

// False for anything but a valid header; free-format frames, whose length no header
// gives, are not taken.
bool ParseMpegFrame(const uint8_t* bytes, MpegFrame& frame) noexcept;
