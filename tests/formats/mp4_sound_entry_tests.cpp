// The MP4 reader's audio properties from each kind of sound sample entry: ISO and QuickTime
// versions 0, 1 and 2, rates above 65,535 Hz from the ALAC configuration, the
// AudioSpecificConfig or the media header's time scale, media headers of both versions, and
// ALAC's bitrate from what its samples hold.
#include <gtest/gtest.h>

#include <cstring>

#include "common/container_bytes.h"
#include "format_test_files.h"

namespace {

const auto box = Mp4Box;

Bytes Be64(uint64_t value) { return BigEndian(static_cast<uint32_t>(value >> 32), 4) + BigEndian(static_cast<uint32_t>(value), 4); }

// A sound entry of version 0 or 1 (the rate in 16.16) or 2 (a 64-bit float), and its boxes.
Bytes Entry(const std::string& type, int version, double rate, uint32_t channels, const Bytes& boxes) {
    const Bytes head = Bytes(6, 0) + BigEndian(1, 2) + BigEndian(static_cast<uint32_t>(version), 2) + Bytes(6, 0);
    if (version == 2) {
        uint64_t bits = 0;
        std::memcpy(&bits, &rate, sizeof bits);
        return box(type, head + BigEndian(3, 2) + BigEndian(16, 2) + BigEndian(0xFFFE, 2) + Bytes(2, 0) +
                             BigEndian(65536, 4) + BigEndian(72, 4) + Be64(bits) + BigEndian(channels, 4) +
                             BigEndian(0x7F000000, 4) + BigEndian(16, 4) + Bytes(12, 0) + boxes);
    }
    return box(type, head + BigEndian(channels, 2) + BigEndian(16, 2) + Bytes(4, 0) +
                         BigEndian(static_cast<uint32_t>(rate) << 16, 4) + Bytes(version == 1 ? 16 : 0, 0) + boxes);
}

// The ES descriptor with an average bitrate and an AudioSpecificConfig.
Bytes Esds(uint32_t bitrate, const Bytes& config) {
    const Bytes decoder = Bytes{0x40, 0x15, 0, 0, 0} + BigEndian(bitrate, 4) + BigEndian(bitrate, 4) +
                          Bytes{5, static_cast<unsigned char>(config.size())} + config;
    const Bytes es = Bytes{0, 1, 0} + Bytes{4, static_cast<unsigned char>(decoder.size())} + decoder;
    return box("esds", Bytes(4, 0) + Bytes{3, static_cast<unsigned char>(es.size())} + es);
}

Bytes AlacConfig(uint32_t rate, uint32_t statedBitrate) {
    return box("alac", Bytes(4, 0) + BigEndian(4096, 4) + Bytes{0, 16, 40, 10, 14, 2} + BigEndian(255, 2) +
                           BigEndian(0, 4) + BigEndian(statedBitrate, 4) + BigEndian(rate, 4));
}

// The media header; version 1's times are 64-bit, and its modification time is such that
// version 0's offsets would read another time scale and duration.
Bytes Mdhd(int version, uint32_t timescale, uint64_t duration) {
    if (version == 1) {
        return box("mdhd", BigEndian(1u << 24, 4) + Be64(3) + Be64(0x500000007ull) + BigEndian(timescale, 4) +
                               Be64(duration) + Bytes(4, 0));
    }
    return box("mdhd", Bytes(12, 0) + BigEndian(timescale, 4) + BigEndian(static_cast<uint32_t>(duration), 4) + Bytes(4, 0));
}

// One sound track of 100 samples of 1000 bytes.
Bytes SoundFile(const Bytes& entry, const Bytes& mdhd) {
    const Bytes stbl = box("stbl", box("stsd", BigEndian(0, 4) + BigEndian(1, 4) + entry) +
                                       box("stsz", BigEndian(0, 4) + BigEndian(1000, 4) + BigEndian(100, 4)));
    const Bytes mdia = box("mdia", mdhd + box("hdlr", Bytes(8, 0) + BytesOf("soun") + Bytes(13, 0)) + box("minf", stbl));
    return box("ftyp", BytesOf("M4A ")) + box("moov", box("trak", mdia)) + box("mdat", Bytes(100000 + 300, 0));
}

}  // namespace

TEST(Mp4SoundEntries, RateChannelsDurationAndBitrateOfEveryKindOfEntry) {
    const Bytes lc96k = {0x10, 0x10}, lc192k = {0x17, 0x81, 0x77, 0x00, 0x10}, he44k = {0x2B, 0x92, 0x08};
    const struct {
        const char* Name;
        Bytes Entry, Mdhd;
        long Rate, Channels;
        double Duration;
        long Bitrate;
    } rows[] = {
        {"AAC 44.1 kHz", Entry("mp4a", 0, 44100, 2, Esds(128000, {0x12, 0x10})), Mdhd(0, 44100, 88200), 44100, 2, 2, 128},
        {"AAC 96 kHz, rate 0", Entry("mp4a", 0, 0, 2, Esds(0, lc96k)), Mdhd(0, 96000, 96000), 96000, 2, 1, 800},
        {"AAC 192 kHz in 24 bits", Entry("mp4a", 0, 0, 2, Esds(0, lc192k)), Mdhd(0, 192000, 192000), 192000, 2, 1, 800},
        {"HE-AAC, SBR signalled", Entry("mp4a", 0, 0, 2, Esds(64000, he44k)), Mdhd(0, 44100, 44100), 44100, 2, 1, 64},
        {"no configuration: time scale", Entry("mp4a", 0, 0, 1, {}), Mdhd(1, 88200, 176400), 88200, 1, 2, 400},
        {"ALAC 96 kHz", Entry("alac", 0, 0, 2, AlacConfig(96000, 4608000)), Mdhd(0, 96000, 192000), 96000, 2, 2, 400},
        {"ALAC, media header 1", Entry("alac", 0, 44100, 2, AlacConfig(44100, 1411200)), Mdhd(1, 44100, 88200), 44100, 2,
         2, 400},
        {"QuickTime 1, in wave", Entry("mp4a", 1, 48000, 2, box("wave", Esds(96000, {0x11, 0x90}))),
         Mdhd(0, 48000, 96000), 48000, 2, 2, 96},
        {"QuickTime 2, 96 kHz float", Entry("mp4a", 2, 96000, 6, box("wave", Esds(0, {0x10, 0x30}))),
         Mdhd(1, 96000, 96000), 96000, 6, 1, 800},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const MediaTags tags = ReadMedia(SoundFile(row.Entry, row.Mdhd));
        EXPECT_EQ(tags.Format, u"MP4");
        EXPECT_EQ(tags.SampleRate, row.Rate);
        EXPECT_EQ(tags.Channels, row.Channels);
        EXPECT_NEAR(tags.Duration, row.Duration, 1e-9);
        EXPECT_EQ(tags.Bitrate, row.Bitrate);
    }
}
