// Bytes read in order from wherever a format keeps them (a run of the file, a packet spread
// over Ogg pages, base64 text), passed over by position where nobody needs them.
#pragma once
#include <cstddef>
#include <cstdint>

class SequentialBytes {
public:
    virtual ~SequentialBytes() = default;

    // Up to count bytes into out (null: passed over); how many there were.
    virtual size_t Read(uint8_t* out, size_t count) = 0;

    size_t Skip(size_t count) { return Read(nullptr, count); }
    // A 32-bit number in either byte order; false where the bytes end first.
    bool ReadLittleEndian32(uint32_t* value);
    bool ReadBigEndian32(uint32_t* value);
};

// A run of the file, through a TagStream's bounded chunks.
class TagStream;
class StreamBytes final : public SequentialBytes {
public:
    explicit StreamBytes(TagStream& stream) noexcept : stream_(stream) {}
    size_t Read(uint8_t* out, size_t count) override;

private:
    TagStream& stream_;
};
