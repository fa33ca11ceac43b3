// Base64 text (RFC 4648, with '=' padding): the bytes it stands for, decoded as they are
// read from the text, and bytes encoded as it.
#pragma once
#include <vector>

#include "formats/sequential_bytes.h"

// Appends size bytes to out as base64 text.
void AppendBase64(const uint8_t* bytes, size_t size, std::vector<uint8_t>& out);

class Base64Bytes final : public SequentialBytes {
public:
    // The text is the next length bytes of source.
    Base64Bytes(SequentialBytes& source, uint64_t length) noexcept : source_(source), left_(length) {}

    // Fewer where the text ends or holds a character that is not base64.
    size_t Read(uint8_t* out, size_t count) override;
    // The characters of the text not yet taken from source.
    uint64_t Left() const noexcept { return left_; }

private:
    // The next group of four characters into held_; false at the end of good text.
    bool DecodeGroup();

    SequentialBytes& source_;
    uint64_t left_;
    bool ended_ = false;  // padding or a character that is not base64 met: no more bytes
    uint8_t held_[3] = {};
    size_t heldCount_ = 0;
    size_t heldAt_ = 0;
};
