// An ID3v2 tag as a list of frames that can be written again: every frame the writer does
// not change keeps its identifier, flags and bytes, with the tag's or the frame's
// unsynchronisation undone (it is never written).  A 2.2 tag is taken over as 2.3.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct StoredFrame {
    std::string Id;                 // four characters
    uint8_t Status = 0, Format = 0;  // the two flag bytes of 2.3 or 2.4
    std::vector<uint8_t> Body;      // the bytes after the header, extra header bytes included
};

struct StoredTag {
    int Version = 3;  // 3 or 4
    std::vector<StoredFrame> Frames;
};

enum class TagParse {
    Parsed,
    Unwritable,  // a version or a form this writer cannot keep (2.2 compressed, 2.5 and later)
    LostHeader,  // an extended header that runs past the tag: where the frames start is unknown
    LostFrames,  // the walk stops before the padding, on bytes it cannot read as a frame
};

// The tag in bytes: its 10-byte header and the frames after it (size bytes in all, the
// whole tag as the header counts it).  The frames end where the tag ends or zeros run to
// its end; anything else where a frame should start (a frame that breaks off, bytes that
// are no frame) makes the tag one that cannot be written again without losing them.
TagParse ParseStoredTag(const uint8_t* bytes, size_t size, StoredTag& tag);

// Whether a frame asks to be dropped when the tag is changed (its tag-alter-preservation flag).
bool DropsOnTagChange(const StoredFrame& frame, int version) noexcept;
// Whether a frame's body is compressed or encrypted: kept whole, never read.
bool IsOpaque(const StoredFrame& frame, int version) noexcept;
// Where a frame's data starts in its body, after the extra bytes its flags announce
// (group, encryption method, data length; 2.3's decompressed size).
size_t DataOffset(const StoredFrame& frame, int version) noexcept;
