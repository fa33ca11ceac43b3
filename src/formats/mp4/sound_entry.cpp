#include "formats/mp4/sound_entry.h"

#include <cstring>

#include "formats/id3v2/id3v2_header.h"
#include "formats/mp4/box_reader.h"

namespace {

// Reserved bytes and the data reference, then version, revision and vendor: the fields
// after them by version.
constexpr size_t kVersionAt = 8;

class BitReader {
public:
    BitReader(const uint8_t* bytes, size_t size) noexcept : bytes_(bytes), bits_(size * 8) {}
    bool Read(int count, uint32_t* value) noexcept {
        if (count > 32 || at_ + static_cast<size_t>(count) > bits_) return false;
        *value = 0;
        for (int i = 0; i < count; ++i, ++at_) *value = *value << 1 | ((bytes_[at_ / 8] >> (7 - at_ % 8)) & 1);
        return true;
    }

private:
    const uint8_t* bytes_;
    size_t bits_;
    size_t at_ = 0;
};

// A sampling frequency index, or 15 and the rate in 24 bits.
uint32_t ReadRate(BitReader& bits) noexcept {
    static const uint32_t kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                      22050, 16000, 12000, 11025, 8000,  7350};
    uint32_t index = 0, rate = 0;
    if (!bits.Read(4, &index)) return 0;
    if (index == 15) return bits.Read(24, &rate) ? rate : 0;
    return index < sizeof kRates / sizeof kRates[0] ? kRates[index] : 0;
}

}  // namespace

bool ReadSoundEntry(const uint8_t* body, size_t size, SoundEntry& entry) noexcept {
    if (size < 28) return false;
    const uint32_t version = ReadBigEndian(body + kVersionAt, 2);
    if (version == 2) {
        // Then 3, 16, -2, 0, 65536 and the size of the structure; the rate, the channels.
        if (size < 64) return false;
        uint64_t bits = ReadBigEndian64(body + 32);
        double rate = 0;
        std::memcpy(&rate, &bits, sizeof rate);
        entry.Rate = rate > 0 && rate < 1e7 ? rate : 0;
        entry.Channels = static_cast<long>(ReadBigEndian(body + 40, 4));
        entry.ChildrenOffset = 64;
        return true;
    }
    // Channels, sample size, compression id, packet size, the rate; version 1 adds four
    // words of packet sizes.
    entry.Channels = static_cast<long>(ReadBigEndian(body + 16, 2));
    entry.Rate = ReadBigEndian(body + 24, 4) / 65536.0;
    entry.ChildrenOffset = version == 1 ? 44 : 28;
    return entry.ChildrenOffset <= size;
}

uint32_t AudioSpecificConfigRate(const uint8_t* bytes, size_t size) noexcept {
    BitReader bits(bytes, size);
    uint32_t type = 0, channels = 0;
    if (!bits.Read(5, &type)) return 0;
    if (type == 31) {
        if (!bits.Read(6, &type)) return 0;
        type += 32;
    }
    const uint32_t rate = ReadRate(bits);
    if (rate == 0 || !bits.Read(4, &channels)) return 0;
    // SBR and PS signalled outright: the extension's rate is what the decoder plays.
    if (type == 5 || type == 29) {
        const uint32_t extension = ReadRate(bits);
        return extension != 0 ? extension : rate;
    }
    return rate;
}

bool ReadAlacConfig(const uint8_t* body, size_t size, AlacConfig& config) noexcept {
    // Version and flags, frame length, version, bit depth, three tuning bytes, channels,
    // the longest run and frame, the average bitrate, the rate.
    if (size < 28) return false;
    config.Channels = body[13];
    config.AverageBitrate = ReadBigEndian(body + 20, 4);
    config.Rate = ReadBigEndian(body + 24, 4);
    return true;
}
