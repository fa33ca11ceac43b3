#include "formats/base64_bytes.h"

namespace {

// The six bits a character stands for; -1 for padding and anything else.
int SextetOf(uint8_t c) noexcept {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

void AppendBase64(const uint8_t* bytes, size_t size, std::vector<uint8_t>& out) {
    out.reserve(out.size() + (size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const size_t count = size - i < 3 ? size - i : 3;
        uint32_t bits = static_cast<uint32_t>(bytes[i]) << 16;
        if (count > 1) bits |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (count > 2) bits |= bytes[i + 2];
        for (size_t k = 0; k < 4; ++k) {
            out.push_back(k <= count ? static_cast<uint8_t>(kAlphabet[bits >> (18 - 6 * k) & 0x3F]) : uint8_t{'='});
        }
    }
}

bool Base64Bytes::DecodeGroup() {
    uint8_t text[4];
    if (ended_ || left_ < 4 || source_.Read(text, 4) < 4) return false;
    left_ -= 4;
    uint32_t bits = 0;
    size_t sextets = 0;
    for (uint8_t c : text) {
        const int sextet = SextetOf(c);
        if (sextet < 0) break;
        bits = bits << 6 | static_cast<uint32_t>(sextet);
        ++sextets;
    }
    // Padding ends the text (the characters after it still count as the text's, so that a
    // reader passes over them); two characters make one byte, three make two.
    if (sextets < 4) ended_ = true;
    if (sextets < 2) return false;
    bits <<= 6 * (4 - sextets);
    heldCount_ = sextets - 1;
    heldAt_ = 0;
    for (size_t i = 0; i < heldCount_; ++i) held_[i] = static_cast<uint8_t>(bits >> (16 - 8 * i));
    return true;
}

size_t Base64Bytes::Read(uint8_t* out, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (heldAt_ == heldCount_ && !DecodeGroup()) break;
        const uint8_t byte = held_[heldAt_++];
        if (out != nullptr) out[done] = byte;
        ++done;
    }
    return done;
}
