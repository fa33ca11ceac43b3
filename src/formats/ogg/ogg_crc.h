// The checksum of an Ogg page: CRC-32 of polynomial 0x04C11DB7, most significant bit first,
// from 0 and with nothing added at the end, over the whole page with its own field as zero.
#pragma once
#include <cstddef>
#include <cstdint>

// Where a page keeps its sequence number and its checksum.
constexpr size_t kOggSequenceAt = 18;
constexpr size_t kOggChecksumAt = 22;

// The checksum of size bytes, continuing from crc.
uint32_t OggCrc(const uint8_t* bytes, size_t size, uint32_t crc = 0) noexcept;

// The checksum of a whole page (size bytes), its own field counted as zero.
uint32_t OggPageChecksum(const uint8_t* page, size_t size) noexcept;

// A page's checksum after the four bytes at its kOggSequenceAt changed by change (the old
// bytes xor the new, first byte highest): the checksum is linear in the bytes, so the page
// body need not be read, and a checksum that was wrong stays wrong by as much.
uint32_t OggChecksumAfterSequenceChange(uint32_t checksum, uint32_t change, size_t pageSize) noexcept;
