// FLAC's STREAMINFO block, in a FLAC file and at the head of an Ogg FLAC stream: the rate
// (20 bits), channels less one (3), bits per sample less one (5) and samples (36) from
// its eleventh byte on.
#pragma once
#include <cstddef>
#include <cstdint>

struct FlacStreamInfo {
    uint32_t SampleRate = 0;
    uint32_t Channels = 0;
    uint64_t Samples = 0;  // 0: not known
};

constexpr size_t kFlacStreamInfoSize = 34;

// The block's body (34 bytes); false for a rate of 0, which no stream has.
bool ParseFlacStreamInfo(const uint8_t* info, FlacStreamInfo& stream) noexcept;
