// How a 2.4 frame's size is read, by the reader and by the writer that keeps the frames it
// does not touch alike: 2.4 stores sizes syncsafe, but widespread encoders wrote plain
// integers there.  Where the syncsafe reading does not lead to a next frame and the plain
// one does, the plain one is meant; a zero byte counts as the start of padding only where
// the tag is zeros from there to its end.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formats/id3v2/frame_ids.h"
#include "formats/id3v2/id3v2_header.h"

// What lies where a frame ends, by one reading of its size.
enum class Landing { Nowhere, End, Zero, Frame };

// What the count (up to 4) bytes where a frame ends make of it.
inline Landing LandingOf(const uint8_t* bytes, size_t count) noexcept {
    if (count == 4 && IsFrameId(bytes, 4)) return Landing::Frame;
    return count > 0 && bytes[0] == 0 ? Landing::Zero : Landing::Nowhere;
}

// The size meant by the four size bytes of a frame whose body starts at body:
// landingAt(offset) says what lies at an offset of the tag's frames, zerosToEnd(offset)
// whether they are zeros from there to their end.
template <class LandingAt, class ZerosToEnd>
uint32_t ChooseFrameSize(const uint8_t* sizeBytes, uint64_t body, LandingAt landingAt, ZerosToEnd zerosToEnd) {
    const uint32_t plain = ReadBigEndian(sizeBytes, 4);
    uint32_t syncsafe = 0;
    const bool valid = ReadSyncsafe(sizeBytes, &syncsafe);
    if (valid && syncsafe == plain) return plain;
    const Landing bySyncsafe = valid ? landingAt(body + syncsafe) : Landing::Nowhere;
    if (bySyncsafe == Landing::Frame || bySyncsafe == Landing::End) return syncsafe;
    const Landing byPlain = landingAt(body + plain);
    if (byPlain == Landing::Frame || byPlain == Landing::End) {
        return bySyncsafe == Landing::Zero && zerosToEnd(body + syncsafe) ? syncsafe : plain;
    }
    if (bySyncsafe == Landing::Zero) return syncsafe;
    if (byPlain == Landing::Zero) return plain;
    return valid ? syncsafe : plain;
}
