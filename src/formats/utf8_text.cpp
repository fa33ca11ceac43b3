#include "formats/utf8_text.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The bounds of the second byte after a lead byte: they shut out overlong forms,
// surrogates and values past U+10FFFF without decoding first.
bool SecondByteFits(uint8_t lead, uint8_t second) noexcept {
    if (lead == 0xE0) return second >= 0xA0 && second <= 0xBF;
    if (lead == 0xED) return second >= 0x80 && second <= 0x9F;
    if (lead == 0xF0) return second >= 0x90 && second <= 0xBF;
    if (lead == 0xF4) return second >= 0x80 && second <= 0x8F;
    return second >= 0x80 && second <= 0xBF;
}

// Bytes after a lead byte, or -1 for a byte that cannot lead.
int TrailCount(uint8_t lead) noexcept {
    if (lead < 0x80) return 0;
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return -1;
}

void AppendCodePoint(uint32_t point, std::u16string& out) {
    if (point < 0x10000) {
        out.push_back(static_cast<char16_t>(point));
    } else {
        point -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    }
}

}  // namespace

std::u16string DecodeUtf8(const uint8_t* bytes, size_t size) {
    std::u16string text;
    text.reserve(size);
    size_t at = 0;
    while (at < size) {
        const uint8_t lead = bytes[at++];
        const int trail = TrailCount(lead);
        if (trail == 0) {
            text.push_back(lead);
            continue;
        }
        if (trail < 0) {
            text.push_back(kReplacement);
            continue;
        }
        uint32_t point = lead & (0x3F >> trail);
        int taken = 0;
        for (; taken < trail && at < size; ++taken, ++at) {
            const uint8_t next = bytes[at];
            const bool fits = taken == 0 ? SecondByteFits(lead, next) : (next & 0xC0) == 0x80;
            if (!fits) break;
            point = (point << 6) | (next & 0x3F);
        }
        if (taken == trail) {
            AppendCodePoint(point, text);
        } else {
            text.push_back(kReplacement);
        }
    }
    return text;
}

void AppendUtf8(const std::u16string& text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t point = text[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = kReplacement;
        }
        if (point < 0x80) {
            out.push_back(static_cast<char>(point));
        } else if (point < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (point >> 6)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else if (point < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (point >> 12)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (point >> 18)));
            out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        }
    }
}
