// What an MP4 sound sample entry and the codec configurations inside it say of the audio.
// The entry's rate is a 16.16 number, which cannot hold 88.2, 96 or 192 kHz (encoders
// write 0 there): the ALAC configuration and the AAC AudioSpecificConfig hold the real rate.
#pragma once
#include <cstddef>
#include <cstdint>

struct SoundEntry {
    long Channels = 0;
    double Rate = 0;           // 0 where the entry leaves it out
    size_t ChildrenOffset = 0;  // where its boxes (esds, alac, wave) begin in the body
};

// A sound sample entry's body: version 0 or 1 (ISO and QuickTime, the rate in 16.16),
// version 2 (QuickTime, the rate a 64-bit float); false where the body is too short.
bool ReadSoundEntry(const uint8_t* body, size_t size, SoundEntry& entry) noexcept;

// The output rate an AudioSpecificConfig names (the SBR rate where it signals one); 0
// where it cannot be read.
uint32_t AudioSpecificConfigRate(const uint8_t* bytes, size_t size) noexcept;

// An "alac" configuration box's body (version and flags first): the rate, the channels and
// the stated average bitrate; false where it is too short.
struct AlacConfig {
    uint32_t Rate = 0, AverageBitrate = 0;
    long Channels = 0;
};
bool ReadAlacConfig(const uint8_t* body, size_t size, AlacConfig& config) noexcept;
