#include "formats/ogg/ogg_crc.h"

#include <array>

namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7;

constexpr std::array<uint32_t, 256> MakeTable() noexcept {
    std::array<uint32_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc << 1) ^ ((crc & 0x80000000u) != 0 ? kPolynomial : 0);
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

// a times b, polynomials over GF(2) below degree 32, modulo x^32 + kPolynomial.
uint32_t MultiplyModulo(uint32_t a, uint32_t b) noexcept {
    uint32_t product = 0;
    for (int bit = 31; bit >= 0; --bit) {
        product = (product << 1) ^ ((product & 0x80000000u) != 0 ? kPolynomial : 0);
        if (((b >> bit) & 1) != 0) product ^= a;
    }
    return product;
}

// x^power modulo x^32 + kPolynomial.
uint32_t PowerOfX(uint64_t power) noexcept {
    uint32_t result = 1, square = 2;
    for (; power != 0; power >>= 1) {
        if ((power & 1) != 0) result = MultiplyModulo(result, square);
        square = MultiplyModulo(square, square);
    }
    return result;
}

}  // namespace

uint32_t OggCrc(const uint8_t* bytes, size_t size, uint32_t crc) noexcept {
    for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ kTable[(crc >> 24) ^ bytes[i]];
    return crc;
}

uint32_t OggPageChecksum(const uint8_t* page, size_t size) noexcept {
    static const uint8_t kZero[4] = {};
    uint32_t crc = OggCrc(page, kOggChecksumAt);
    crc = OggCrc(kZero, 4, crc);
    return OggCrc(page + kOggChecksumAt + 4, size - kOggChecksumAt - 4, crc);
}

uint32_t OggChecksumAfterSequenceChange(uint32_t checksum, uint32_t change, size_t pageSize) noexcept {
    // The change alone is a message of zeros but for these four bytes; the zeros in front
    // add nothing from 0, the ones after multiply by x^8 each, and x^32 ends the message.
    const uint64_t after = pageSize - kOggSequenceAt - 4;
    return checksum ^ MultiplyModulo(change, PowerOfX(32 + 8 * after));
}
