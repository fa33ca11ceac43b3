// UTF-8 to UTF-16, never trusting the bytes: every ill-formed sequence (a stray or
// missing continuation byte, an overlong form, a surrogate, a value past U+10FFFF)
// becomes one U+FFFD for its longest valid-looking start, as Unicode recommends and the
// system's own conversion does.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

std::u16string DecodeUtf8(const uint8_t* bytes, size_t size);

// Appends text to out as UTF-8 (a lone surrogate as U+FFFD).
void AppendUtf8(const std::u16string& text, std::string& out);
