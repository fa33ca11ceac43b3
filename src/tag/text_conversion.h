// Conversions between the system ANSI code page (CP_ACP) and wide text.
#pragma once
#include <windows.h>
#include <oleauto.h>

// A new BSTR holding text converted from CP_ACP, or null for null text or no memory.
// Raises ComError when the conversion itself fails.
BSTR AnsiToWide(const char* text);

// A new[]-allocated ANSI copy of text up to its first 0 character, or null for null text.
// Raises ComError on no memory or a failed conversion.
char* WideToAnsi(const wchar_t* text);
