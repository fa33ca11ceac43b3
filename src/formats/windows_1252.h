// Windows-1252, the code page of most ID3v1 tags (ISO-8859-1 but for 0x80 to 0x9F): how
// the native sources read code-page text, as a Western Windows system reads it.
#pragma once
#include <cstddef>
#include <string>

std::u16string DecodeWindows1252(const char* text, size_t size);
