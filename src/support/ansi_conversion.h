// Text between wide strings and the system ANSI code page (CP_ACP), without exceptions.
// Every conversion of the library to or from the system code page goes through here.
#pragma once
#include <windows.h>

#include <memory>

// A new[]-allocated, NUL-terminated ANSI copy of text, sized by the conversion itself
// (up to three bytes a character where the code page is UTF-8).  On failure out is
// empty and the result is E_OUTOFMEMORY or the system's error.
HRESULT ConvertToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept;

// A new[]-allocated, NUL-terminated wide copy of ANSI text; failures as above.
HRESULT ConvertToWide(const char* text, std::unique_ptr<wchar_t[]>& out) noexcept;
