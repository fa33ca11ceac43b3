// The data of a script value, decoded from its text by type letter.
#pragma once
#include <windows.h>

// "0"-"9" give 0-9, "A"-"F" and "a"-"f" give 10-15, every other byte gives 0.
BYTE HexDigitValue(char ch) noexcept;

// Pairs of hexadecimal digits, the first of each pair the high nibble; bytes receives
// length / 2 bytes. E_FAIL for an odd number of digits, and nothing is written.
HRESULT DecodeHexBytes(const char* text, int length, BYTE* bytes) noexcept;

// An unsigned 32-bit number as VarUI4FromStr reads it; DISP_E_EXCEPTION when it does not.
HRESULT ParseDwordText(const char* text, DWORD* value) noexcept;
