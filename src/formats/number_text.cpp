#include "formats/number_text.h"

namespace {

bool IsDigit(char16_t c) noexcept { return c >= u'0' && c <= u'9'; }

// The number of up to nine digits at text[at] on, after blanks; 0 when there is none.
long ParseNumber(const std::u16string& text, size_t at) noexcept {
    while (at < text.size() && text[at] == u' ') ++at;
    long value = 0;
    for (int digits = 0; at < text.size() && IsDigit(text[at]) && digits < 9; ++at, ++digits) {
        value = value * 10 + (text[at] - u'0');
    }
    return value;
}

}  // namespace

long ParseYear(const std::u16string& text) noexcept {
    if (text.size() < 4) return 0;
    long year = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (!IsDigit(text[i])) return 0;
        year = year * 10 + (text[i] - u'0');
    }
    return year;
}

void ParseNumberPair(const std::u16string& text, long* first, long* second) noexcept {
    *first = ParseNumber(text, 0);
    const size_t slash = text.find(u'/');
    *second = slash == std::u16string::npos ? 0 : ParseNumber(text, slash + 1);
}
