#include "formats/number_text.h"

namespace {

bool IsDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

// The number of up to nine digits at text[at] on, after blanks; 0 when there is none.
long ParseNumber(const std::wstring& text, size_t at) noexcept {
    while (at < text.size() && text[at] == L' ') ++at;
    long value = 0;
    for (int digits = 0; at < text.size() && IsDigit(text[at]) && digits < 9; ++at, ++digits) {
        value = value * 10 + (text[at] - L'0');
    }
    return value;
}

}  // namespace

long ParseYear(const std::wstring& text) noexcept {
    if (text.size() < 4) return 0;
    long year = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (!IsDigit(text[i])) return 0;
        year = year * 10 + (text[i] - L'0');
    }
    return year;
}

void ParseNumberPair(const std::wstring& text, long* first, long* second) noexcept {
    *first = ParseNumber(text, 0);
    const size_t slash = text.find(L'/');
    *second = slash == std::wstring::npos ? 0 : ParseNumber(text, slash + 1);
}
