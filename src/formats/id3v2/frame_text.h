// Text inside ID3v2 frames: the encoding byte's four encodings, terminated strings and
// null-separated lists of values.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// 0 ISO-8859-1, 1 UTF-16 with byte-order mark, 2 UTF-16BE, 3 UTF-8.
bool IsTextEncoding(uint8_t encoding) noexcept;

// The length of the string at bytes up to its terminator (size when there is none); *next
// is where what follows the terminator starts.
size_t FindTextEnd(uint8_t encoding, const uint8_t* bytes, size_t size, size_t* next) noexcept;

// One string without its terminator.
std::u16string DecodeText(uint8_t encoding, const uint8_t* bytes, size_t size);

// The values of a text frame's body, split at their terminators; empty values are dropped.
std::vector<std::u16string> DecodeTextValues(uint8_t encoding, const uint8_t* bytes, size_t size);

// The values of a text frame's body as one text, joined "; ", without a list of them on the
// way: what DecodeTextValues and JoinValues give, in one allocation for a lone value.
std::u16string DecodeJoinedText(uint8_t encoding, const uint8_t* bytes, size_t size);

// Several values as one text, the way the properties show them: "a; b".  A lone value,
// as most frames hold, is taken over without a copy.
std::u16string JoinValues(std::vector<std::u16string>&& values);
