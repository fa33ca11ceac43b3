#include "formats/id3v2/frame_text.h"

#include "formats/utf8_text.h"

namespace {

bool IsWide(uint8_t encoding) noexcept { return encoding == 1 || encoding == 2; }

// UTF-16 in either byte order; a byte-order mark sets the order for this string and the
// ones after it, and without any the text is taken as little-endian, as Windows writes it.
std::u16string DecodeUtf16(const uint8_t* bytes, size_t size, bool* bigEndian) {
    size_t at = 0;
    if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        *bigEndian = bytes[0] == 0xFE;
        at = 2;
    }
    std::u16string text;
    text.reserve((size - at) / 2);
    for (; at + 1 < size; at += 2) {
        text.push_back(static_cast<char16_t>(*bigEndian ? (bytes[at] << 8) | bytes[at + 1]
                                                       : (bytes[at + 1] << 8) | bytes[at]));
    }
    return text;
}

// UTF-8, after a byte-order mark that some writers put first.
std::u16string DecodeUtf8Text(const uint8_t* bytes, size_t size) {
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        size -= 3;
    }
    return DecodeUtf8(bytes, size);
}

std::u16string DecodeWith(uint8_t encoding, const uint8_t* bytes, size_t size, bool* bigEndian) {
    switch (encoding) {
        case 0:
            // ISO-8859-1 is the first 256 code points exactly: 0x93 is U+0093.
            return std::u16string(bytes, bytes + size);
        case 1:
        case 2:
            return DecodeUtf16(bytes, size, bigEndian);
        default:
            return DecodeUtf8Text(bytes, size);
    }
}

}  // namespace

bool IsTextEncoding(uint8_t encoding) noexcept { return encoding <= 3; }

size_t FindTextEnd(uint8_t encoding, const uint8_t* bytes, size_t size, size_t* next) noexcept {
    if (IsWide(encoding)) {
        for (size_t i = 0; i + 1 < size; i += 2) {
            if (bytes[i] == 0 && bytes[i + 1] == 0) {
                *next = i + 2;
                return i;
            }
        }
    } else {
        for (size_t i = 0; i < size; ++i) {
            if (bytes[i] == 0) {
                *next = i + 1;
                return i;
            }
        }
    }
    *next = size;
    return size;
}

namespace {

// Hands each non-empty value of a text frame's body to take, in order; a byte-order mark
// holds for the values after it.
template <class Take>
void DecodeEachValue(uint8_t encoding, const uint8_t* bytes, size_t size, Take take) {
    bool bigEndian = encoding == 2;
    size_t at = 0;
    while (at < size) {
        size_t next = 0;
        const size_t length = FindTextEnd(encoding, bytes + at, size - at, &next);
        std::u16string value = DecodeWith(encoding, bytes + at, length, &bigEndian);
        if (!value.empty()) take(std::move(value));
        at += next;
    }
}

}  // namespace

std::u16string DecodeText(uint8_t encoding, const uint8_t* bytes, size_t size) {
    bool bigEndian = encoding == 2;
    return DecodeWith(encoding, bytes, size, &bigEndian);
}

std::vector<std::u16string> DecodeTextValues(uint8_t encoding, const uint8_t* bytes, size_t size) {
    std::vector<std::u16string> values;
    DecodeEachValue(encoding, bytes, size, [&](std::u16string&& value) { values.push_back(std::move(value)); });
    return values;
}

std::u16string DecodeJoinedText(uint8_t encoding, const uint8_t* bytes, size_t size) {
    std::u16string text;
    DecodeEachValue(encoding, bytes, size, [&](std::u16string&& value) {
        if (text.empty()) {
            text = std::move(value);
        } else {
            text += u"; ";
            text += value;
        }
    });
    return text;
}

std::u16string JoinValues(std::vector<std::u16string>&& values) {
    if (values.size() == 1) return std::move(values[0]);
    std::u16string text;
    for (const std::u16string& value : values) {
        if (!text.empty()) text += u"; ";
        text += value;
    }
    return text;
}
