#include "formats/tag_edits.h"

#include <cstring>

bool IsTextFrameKey(const std::u16string& key) noexcept {
    if (key.size() < 4 || key[0] != u'T') return false;
    for (size_t i = 0; i < 4; ++i) {
        const char16_t c = key[i];
        if (!((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))) return false;
    }
    if (key.compare(0, 4, u"TXXX") == 0) return key.size() >= 5 && key[4] == u':';
    return key.size() == 4;
}

std::string PictureMimeType(const uint8_t* bytes, size_t size) noexcept {
    static const uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= sizeof kJpeg && std::memcmp(bytes, kJpeg, sizeof kJpeg) == 0) return "image/jpeg";
    if (size >= sizeof kPng && std::memcmp(bytes, kPng, sizeof kPng) == 0) return "image/png";
    return "";
}
