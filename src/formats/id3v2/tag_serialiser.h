// A stored tag as bytes: 2.3 or 2.4 frame headers (2.4 sizes syncsafe), no
// unsynchronisation, no extended header, no footer, zero padding after the frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/id3v2/stored_tag.h"

// The most bytes a tag's header can count after itself.
constexpr uint64_t kLargestTagSize = (1u << 28) - 1;

// The frames one after the other; false when one of them is too large for its version.
bool SerialiseFrames(const StoredTag& tag, std::vector<uint8_t>& out);

// The tag of exactly totalSize bytes (at least 10 more than frames, at most
// kLargestTagSize + 10): its header, the frames and zeros.
std::vector<uint8_t> MakeTagBytes(int version, const std::vector<uint8_t>& frames, uint64_t totalSize);

// The padding a written tag keeps for later edits: 1 KB and a thousandth of the audio, at
// most 64 KB.
uint64_t PaddingFor(uint64_t audioSize) noexcept;
