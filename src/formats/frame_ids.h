// ID3v2 frame identifiers: which bytes make one, and the 2.3/2.4 names of the 2.2 ones.
#pragma once
#include <windows.h>

#include <string>

bool IsFrameId(const BYTE* bytes, size_t length) noexcept;

// The identifier at bytes (3 characters in 2.2, 4 after) under its 2.3/2.4 name; a 2.2
// frame without a counterpart keeps its own three letters.
std::wstring FrameIdOf(const BYTE* bytes, int version);
