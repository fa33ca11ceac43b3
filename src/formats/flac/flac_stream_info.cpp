#include "formats/flac/flac_stream_info.h"

#include "formats/id3v2/id3v2_header.h"

bool ParseFlacStreamInfo(const uint8_t* info, FlacStreamInfo& stream) noexcept {
    stream.SampleRate = ReadBigEndian(info + 10, 3) >> 4;
    stream.Channels = ((info[12] >> 1) & 0x07) + 1;
    stream.Samples = static_cast<uint64_t>(info[13] & 0x0F) << 32 | ReadBigEndian(info + 14, 4);
    return stream.SampleRate != 0;
}
