#include "tagfile/code_page_encoder.h"

#include <windows.h>

#include "support/ansi_conversion.h"

std::string SystemCodePageEncoder::Encode(const std::u16string& text, size_t most) {
    std::string out;
    // Character by character, so that a double-byte character is never cut in half.
    for (size_t at = 0; at < text.size();) {
        const int units = IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() ? 2 : 1;
        char bytes[8];
        const int length =
            ConvertRunToAnsi(reinterpret_cast<const wchar_t*>(text.data() + at), units, bytes, sizeof bytes);
        if (length <= 0 || out.size() + static_cast<size_t>(length) > most) break;
        out.append(bytes, static_cast<size_t>(length));
        at += static_cast<size_t>(units);
    }
    return out;
}
