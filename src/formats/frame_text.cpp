#include "formats/frame_text.h"

namespace {

bool IsWide(BYTE encoding) noexcept { return encoding == 1 || encoding == 2; }

// UTF-16 in either byte order; a byte-order mark sets the order for this string and the
// ones after it, and without any the text is taken as little-endian, as Windows writes it.
std::wstring DecodeUtf16(const BYTE* bytes, size_t size, bool* bigEndian) {
    size_t at = 0;
    if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        *bigEndian = bytes[0] == 0xFE;
        at = 2;
    }
    std::wstring text;
    text.reserve((size - at) / 2);
    for (; at + 1 < size; at += 2) {
        text.push_back(static_cast<wchar_t>(*bigEndian ? (bytes[at] << 8) | bytes[at + 1]
                                                       : (bytes[at + 1] << 8) | bytes[at]));
    }
    return text;
}

std::wstring DecodeUtf8(const BYTE* bytes, size_t size) {
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        size -= 3;
    }
    if (size == 0) return {};
    const char* text = reinterpret_cast<const char*>(bytes);
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size), &wide[0], length);
    return wide;
}

std::wstring DecodeWith(BYTE encoding, const BYTE* bytes, size_t size, bool* bigEndian) {
    switch (encoding) {
        case 0:
            // ISO-8859-1 is the first 256 code points exactly: 0x93 is U+0093.
            return std::wstring(bytes, bytes + size);
        case 1:
        case 2:
            return DecodeUtf16(bytes, size, bigEndian);
        default:
            return DecodeUtf8(bytes, size);
    }
}

}  // namespace

bool IsTextEncoding(BYTE encoding) noexcept { return encoding <= 3; }

size_t FindTextEnd(BYTE encoding, const BYTE* bytes, size_t size, size_t* next) noexcept {
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

std::wstring DecodeText(BYTE encoding, const BYTE* bytes, size_t size) {
    bool bigEndian = encoding == 2;
    return DecodeWith(encoding, bytes, size, &bigEndian);
}

std::vector<std::wstring> DecodeTextValues(BYTE encoding, const BYTE* bytes, size_t size) {
    std::vector<std::wstring> values;
    bool bigEndian = encoding == 2;
    size_t at = 0;
    while (at < size) {
        size_t next = 0;
        const size_t length = FindTextEnd(encoding, bytes + at, size - at, &next);
        std::wstring value = DecodeWith(encoding, bytes + at, length, &bigEndian);
        if (!value.empty()) values.push_back(std::move(value));
        at += next;
    }
    return values;
}

std::wstring JoinValues(std::vector<std::wstring>&& values) {
    if (values.size() == 1) return std::move(values[0]);
    std::wstring text;
    for (const std::wstring& value : values) {
        if (!text.empty()) text += L"; ";
        text += value;
    }
    return text;
}
