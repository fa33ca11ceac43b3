// ID3v2 frame identifiers: which bytes make one, and the 2.3/2.4 names of the 2.2 ones.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

bool IsFrameId(const uint8_t* bytes, size_t length) noexcept;

// The identifier at bytes (3 characters in 2.2, 4 after) under its 2.3/2.4 name; a 2.2
// frame without a counterpart keeps its own three letters.
std::u16string FrameIdOf(const uint8_t* bytes, int version);

// The 2.3/2.4 name of the 2.2 identifier at bytes (3 characters); null for one that has none.
const char16_t* RenamedFrameId(const uint8_t* bytes) noexcept;

// A 2.2 identifier padded with a zero byte, as an old music store's software wrote them
// into 2.3 tags ("TT2\0"), under its 2.3/2.4 name; null for anything else.
const char16_t* PaddedOldFrameId(const uint8_t* bytes) noexcept;

// Whether a header that flags an extended header has none: some writers set the flag
// without writing one, and its supposed size bytes are then the first frame's identifier.
bool IsMissingExtendedHeader(const uint8_t* sizeBytes) noexcept;
