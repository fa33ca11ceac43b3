// The 10-byte header ("ID3") and footer ("3DI") of an ID3v2 tag.
#pragma once
#include <cstdint>

struct Id3v2Header {
    int Version = 0;      // 2, 3 or 4; other versions are sized but not read
    uint8_t Flags = 0;
    uint32_t Size = 0;    // the bytes after the header, less a footer

    bool Unsynchronised() const noexcept { return (Flags & 0x80) != 0; }
    // 2.3 and 2.4; in 2.2 the same bit marks a compressed tag, which nobody can read.
    bool HasExtendedHeader() const noexcept { return Version >= 3 && (Flags & 0x40) != 0; }
    bool Compressed() const noexcept { return Version == 2 && (Flags & 0x40) != 0; }
    bool HasFooter() const noexcept { return Version == 4 && (Flags & 0x10) != 0; }
    bool Readable() const noexcept { return Version >= 2 && Version <= 4 && !Compressed(); }
    // Header, frames and footer.
    uint64_t TotalSize() const noexcept { return 10ull + Size + (HasFooter() ? 10 : 0); }
};

// A 28-bit number stored 7 bits a byte; false when a byte has its top bit set.
bool ReadSyncsafe(const uint8_t* bytes, uint32_t* value) noexcept;
uint32_t ReadBigEndian(const uint8_t* bytes, int count) noexcept;

// The header at bytes (10 of them), marked by "ID3"; or the footer, marked by "3DI".
bool ParseId3v2Header(const uint8_t* bytes, Id3v2Header& header) noexcept;
bool ParseId3v2Footer(const uint8_t* bytes, Id3v2Header& header) noexcept;
