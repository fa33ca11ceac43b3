#include "formats/mpeg/mpeg_frame.h"

namespace {

// kbit/s by bitrate index 1 to 14: MPEG-1 Layers I, II, III, then MPEG-2/2.5 Layer I, II and III.
const short kBitrates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};

const long kSampleRates[3] = {44100, 48000, 32000};

}  // namespace

bool ParseMpegFrame(const uint8_t* bytes, MpegFrame& frame) noexcept {
    if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) return false;
    const int versionBits = (bytes[1] >> 3) & 3;
    const int layerBits = (bytes[1] >> 1) & 3;
    const int bitrateIndex = bytes[2] >> 4;
    const int rateIndex = (bytes[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    // Emphasis 2 is reserved.
    if ((bytes[3] & 3) == 2) return false;
    frame.Version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    frame.Layer = 4 - layerBits;
    const int table = frame.Version == 1 ? frame.Layer - 1 : frame.Layer == 1 ? 3 : 4;
    frame.Bitrate = kBitrates[table][bitrateIndex - 1];
    frame.SampleRate = kSampleRates[rateIndex] / (frame.Version == 1 ? 1 : frame.Version == 2 ? 2 : 4);
    frame.Channels = (bytes[3] >> 6) == 3 ? 1 : 2;
    const bool padded = (bytes[2] & 2) != 0;
    if (frame.Layer == 1) {
        frame.SamplesPerFrame = 384;
        frame.Length = static_cast<uint32_t>((12 * frame.Bitrate * 1000 / frame.SampleRate + (padded ? 1 : 0)) * 4);
    } else {
        frame.SamplesPerFrame = frame.Layer == 3 && frame.Version != 1 ? 576 : 1152;
        frame.Length = static_cast<uint32_t>(frame.SamplesPerFrame / 8 * frame.Bitrate * 1000 / frame.SampleRate +
                                             (padded ? 1 : 0));
    }
    return true;
}
