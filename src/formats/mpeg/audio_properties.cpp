#include "formats/mpeg/audio_properties.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/mpeg/vbr_header.h"

namespace {

constexpr double kHighestAverage = 1000;

}  // namespace

FrameSearch FindFirstFrame(const uint8_t* bytes, size_t available, uint64_t audioLength, bool complete,
                           MpegFrame& frame, size_t* position) noexcept {
    const size_t window = static_cast<size_t>(std::min<uint64_t>(audioLength, kFrameSearchWindow));
    for (size_t at = 0; at < window; ++at) {
        if (at + 4 > available) return complete ? FrameSearch::NotFound : FrameSearch::NeedMore;
        // Straight to the next 0xFF that can start a header here: bytes that are not one
        // (all of a file without audio) are passed by memchr, not one by one.
        const size_t end = std::min(window, available - 3);
        const void* sync = std::memchr(bytes + at, 0xFF, end - at);
        if (sync == nullptr) {
            at = end - 1;
            continue;
        }
        at = static_cast<size_t>(static_cast<const uint8_t*>(sync) - bytes);
        MpegFrame first;
        if (!ParseMpegFrame(bytes + at, first)) continue;
        const uint64_t next = at + first.Length;
        if (next > audioLength) continue;
        if (next + (next == audioLength ? 0 : 4) > available) {
            if (!complete) return FrameSearch::NeedMore;
            continue;
        }
        MpegFrame second;
        if (next == audioLength || (ParseMpegFrame(bytes + next, second) && second.Matches(first))) {
            frame = first;
            *position = at;
            return FrameSearch::Found;
        }
    }
    return FrameSearch::NotFound;
}

void SetAudioProperties(const uint8_t* bytes, const MpegFrame& frame, uint64_t audioBytes, MediaTags& tags) noexcept {
    tags.SampleRate = frame.SampleRate;
    tags.Channels = frame.Channels;
    tags.Bitrate = frame.Bitrate;
    VbrHeader vbr;
    if (ParseVbrHeader(bytes, frame, vbr) && vbr.Frames > 0) {
        tags.Duration = static_cast<double>(vbr.Frames) * frame.SamplesPerFrame / frame.SampleRate;
        // A frame count that the file's size belies gives no average worth showing.
        const double average = static_cast<double>(audioBytes) * 8 / tags.Duration / 1000;
        if (vbr.Variable) tags.Bitrate = average < kHighestAverage ? std::lround(average) : 0;
    } else {
        tags.Duration = static_cast<double>(audioBytes) * 8 / (frame.Bitrate * 1000.0);
    }
}
