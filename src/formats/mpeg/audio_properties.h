// Where a file's MPEG audio starts, and its duration and bitrate from the first frame.
#pragma once
#include <cstdint>

#include "formats/media_tags.h"
#include "formats/mpeg/mpeg_frame.h"

// How far after the tags the first frame is looked for.
constexpr size_t kFrameSearchWindow = 64 * 1024;

enum class FrameSearch { Found, NotFound, NeedMore };

// Looks for the first frame in bytes (available of the audioLength bytes between the tags,
// from their start), taken only when a second matching frame follows where the first says,
// or the audio ends there; *position is its offset.  NeedMore when a candidate needs bytes
// past available ones and complete is false.
FrameSearch FindFirstFrame(const uint8_t* bytes, size_t available, uint64_t audioLength, bool complete,
                           MpegFrame& frame, size_t* position) noexcept;

// The bytes the search needs after the start of the audio to decide: the window, the
// longest frame at its end, and the next header.
constexpr size_t kFrameSearchBytes = kFrameSearchWindow + kLongestMpegFrame + 4;

// Duration, bitrate, sample rate and channels from the first frame (the whole frame at
// bytes) and the audio's length in bytes from that frame on.
void SetAudioProperties(const uint8_t* bytes, const MpegFrame& frame, uint64_t audioBytes, MediaTags& tags) noexcept;
