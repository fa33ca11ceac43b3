// The numbers that tags keep as text: years and "3/12" pairs.
#pragma once
#include <string>

// The year that text starts with in four digits ("2004-05-06" is 2004); 0 otherwise.
long ParseYear(const std::u16string& text) noexcept;

// "3/12" as 3 and 12, "3" as 3 and 0; a part that is not a number is 0.
void ParseNumberPair(const std::u16string& text, long* first, long* second) noexcept;
