// Text inside ID3v2 frames: the encoding byte's four encodings, terminated strings and
// null-separated lists of values.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// 0 ISO-8859-1, 1 UTF-16 with byte-order mark, 2 UTF-16BE, 3 UTF-8.
bool IsTextEncoding(BYTE encoding) noexcept;

// The length of the string at bytes up to its terminator (size when there is none); *next
// is where what follows the terminator starts.
size_t FindTextEnd(BYTE encoding, const BYTE* bytes, size_t size, size_t* next) noexcept;

// One string without its terminator.
std::wstring DecodeText(BYTE encoding, const BYTE* bytes, size_t size);

// The values of a text frame's body, split at their terminators; empty values are dropped.
std::vector<std::wstring> DecodeTextValues(BYTE encoding, const BYTE* bytes, size_t size);

// Several values as one text, the way the properties show them: "a; b".  A lone value,
// as most frames hold, is taken over without a copy.
std::wstring JoinValues(std::vector<std::wstring>&& values);
