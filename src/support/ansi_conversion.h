// Text between wide strings and the system ANSI code page (CP_ACP), without exceptions.
// Every conversion of the library to or from the system code page goes through here.
#pragma once
#include <windows.h>

#include <memory>

// A new[]-allocated, NUL-terminated ANSI copy of text, sized by the conversion itself
// (up to three bytes a character where the code page is UTF-8).  On failure out is
// empty and the result is E_OUTOFMEMORY or the system's error.
HRESULT ConvertToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept;

// The same for text that names something (a file, a registry key or value, a resource, a
// device): every character must be held by the code page as it is.  Where one would become
// a look-alike or the default character, out is empty and the result is
// HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION), so that no other name is ever used.
HRESULT ConvertNameToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept;

// Whether ConvertNameToAnsi would succeed for the first length characters (-1: up to the
// terminator); false also when the conversion itself fails.
bool CodePageHoldsName(const wchar_t* text, int length) noexcept;

// A new[]-allocated, NUL-terminated wide copy of ANSI text; failures as above.
HRESULT ConvertToWide(const char* text, std::unique_ptr<wchar_t[]>& out) noexcept;

// The same into the caller's buffer of size wide characters, which holds at least
// lstrlenA(text) + 1 (every ANSI byte yields at most one UTF-16 unit).  On failure the
// buffer holds the empty string and the result is the system's error.
HRESULT ConvertToWideInto(const char* text, wchar_t* buffer, int size) noexcept;

// The first length bytes of text (no terminator needed) into buffer, which holds at least
// length wide characters; the count written, or 0 with the system's error as the last error.
int ConvertRunToWide(const char* text, int length, wchar_t* buffer, int size) noexcept;

// The first length wide characters of text into buffer of size bytes, best fit as
// ConvertToAnsi; the bytes written, or 0 with the system's error as the last error.
int ConvertRunToAnsi(const wchar_t* text, int length, char* buffer, int size) noexcept;

// Up to length wide characters into a fixed field of fieldSize bytes (a device name, say),
// terminated when there is room; the field is left empty when the text does not convert
// exactly (as ConvertNameToAnsi) or does not fit.
void ConvertToAnsiField(const wchar_t* text, int length, char* field, int fieldSize) noexcept;
