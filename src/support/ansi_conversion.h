// Wide text to the system ANSI code page (CP_ACP), without exceptions.
#pragma once
#include <windows.h>

#include <memory>

// A new[]-allocated, NUL-terminated ANSI copy of text, sized by the conversion itself
// (up to three bytes a character where the code page is UTF-8).  On failure out is
// empty and the result is E_OUTOFMEMORY or the system's error.
HRESULT ConvertToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept;
