#include "formats/mp4/mp4_reader.h"

#include <algorithm>
#include <cmath>

#include "formats/id3v2/id3v2_header.h"
#include "formats/mp4/box_reader.h"
#include "formats/mp4/ilst_items.h"
#include "formats/mp4/sound_entry.h"
#include "formats/text_fields.h"

namespace {

// Deeper than moov/trak/mdia/minf/stbl/stsd/mp4a/esds nothing is read.
constexpr int kDeepest = 10;

// What one track says of itself.
struct Track {
    bool Sound = false;
    uint32_t Timescale = 0;
    uint64_t Duration = 0;
    long Channels = 0;
    double EntryRate = 0;         // the sample entry's
    uint32_t ConfigRate = 0;      // the ALAC configuration's or the AudioSpecificConfig's
    bool Alac = false;
    bool EntryRead = false;
    uint32_t AverageBitrate = 0;  // as the esds states it
    uint64_t SampleBytes = 0;     // the sizes of the samples, added up
};

class Mp4FileReader {
public:
    Mp4FileReader(PrefetchedSource& file, MediaTags& tags)
        : tags_(tags), boxes_(file, file.Size()), fields_(tags) {}

    bool Read(uint32_t* error) {
        Walk(0, boxes_.FileSize(), 0, Level::File);
        if (boxes_.Failed()) {
            *error = boxes_.Error();
            return false;
        }
        fields_.Finish(Mp4FieldNames());
        tags_.Format = u"MP4";
        tags_.Picture.FileSize = boxes_.FileSize();
        SetAudio();
        return true;
    }

private:
    // Where a level of boxes lies: the items are read from moov/udta/meta/ilst alone, the
    // list the writer edits, never from a box of that name elsewhere.
    enum class Level { Other, File, Movie, MovieUserData, MovieMeta };

    static Level Inside(Level level, const Box& box) noexcept {
        if (level == Level::File && box.Is("moov")) return Level::Movie;
        if (level == Level::Movie && box.Is("udta")) return Level::MovieUserData;
        if (level == Level::MovieUserData && box.Is("meta")) return Level::MovieMeta;
        return Level::Other;
    }

    void Walk(uint64_t at, uint64_t end, int depth, Level level = Level::Other) {
        Box box;
        while (depth < kDeepest && boxes_.NextBox(&at, end, box)) {
            if (depth == 0 && box.Is("mdat")) mediaBytes_ += box.Size();
            if (box.Is("trak")) {
                track_ = Track();
                Walk(box.Start, box.End, depth + 1);
                if (track_.Sound && !sound_.Sound) sound_ = track_;
            } else if (box.Is("moov") || box.Is("mdia") || box.Is("minf") || box.Is("stbl") || box.Is("udta")) {
                Walk(box.Start, box.End, depth + 1, Inside(level, box));
            } else if (box.Is("meta")) {
                // A full box: version and flags first.
                Walk(box.Start + 4, box.End, depth + 1, Inside(level, box));
            } else if (box.Is("ilst") && level == Level::MovieMeta && !itemsRead_) {
                itemsRead_ = true;
                AddTagType(tags_.TagTypes, u"MP4");
                ReadItems(boxes_, box, fields_, tags_);
            } else {
                ReadLeaf(box, depth);
            }
        }
    }

    void ReadLeaf(const Box& box, int depth) {
        if (box.Is("mvhd")) {
            ReadHeader(box, &movieTimescale_, &movieDuration_);
        } else if (box.Is("mdhd")) {
            ReadHeader(box, &track_.Timescale, &track_.Duration);
        } else if (box.Is("hdlr")) {
            // A meta box's handler says "mdir": only a media handler makes a sound track.
            const uint8_t* body = box.Size() >= 12 ? boxes_.BytesAt(box.Start, 12) : nullptr;
            if (body != nullptr && std::equal(body + 8, body + 12, "soun")) track_.Sound = true;
        } else if (box.Is("stsd")) {
            Walk(box.Start + 8, box.End, depth + 1);  // version, flags and the count of entries
        } else if (box.Is("mp4a") || box.Is("alac")) {
            ReadSampleEntry(box);
        } else if (box.Is("stsz")) {
            ReadSampleSizes(box);
        }
    }

    // Version 0: two 32-bit times, the timescale, a 32-bit duration; version 1: 64-bit times.
    void ReadHeader(const Box& box, uint32_t* timescale, uint64_t* duration) {
        const uint8_t* version = box.Size() >= 1 ? boxes_.BytesAt(box.Start, 1) : nullptr;
        const size_t size = version != nullptr && *version == 1 ? 32 : 20;
        const uint8_t* body = box.Size() >= size ? boxes_.BytesAt(box.Start, size) : nullptr;
        if (body == nullptr) return;
        if (size == 32) {
            *timescale = ReadBigEndian(body + 20, 4);
            *duration = ReadBigEndian64(body + 24);
        } else {
            *timescale = ReadBigEndian(body + 12, 4);
            *duration = ReadBigEndian(body + 16, 4);
        }
    }

    void ReadSampleEntry(const Box& entry) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(entry.Size(), 64));
        const uint8_t* body = boxes_.BytesAt(entry.Start, size);
        SoundEntry sound;
        if (body == nullptr || !ReadSoundEntry(body, size, sound)) return;
        track_.Channels = sound.Channels;
        track_.EntryRate = sound.Rate;
        track_.Alac = entry.Is("alac");
        track_.EntryRead = true;
        ReadEntryBoxes(entry.Start + sound.ChildrenOffset, entry.End, 0);
    }

    // The codec's boxes, within QuickTime's "wave" box in an entry of version 1 or 2.
    void ReadEntryBoxes(uint64_t at, uint64_t end, int depth) {
        Box box;
        while (boxes_.NextBox(&at, end, box)) {
            if (box.Is("esds")) ReadEsds(box);
            if (box.Is("alac")) ReadAlac(box);
            if (box.Is("wave") && depth == 0) ReadEntryBoxes(box.Start, box.End, depth + 1);
        }
    }

    void ReadAlac(const Box& box) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(box.Size(), 28));
        const uint8_t* body = boxes_.BytesAt(box.Start, size);
        AlacConfig config;
        if (body == nullptr || !ReadAlacConfig(body, size, config)) return;
        track_.ConfigRate = config.Rate;
        if (track_.Channels == 0) track_.Channels = config.Channels;
    }

    // Version and flags, one size for every sample (0: a size each follows), the count.
    void ReadSampleSizes(const Box& box) {
        const uint8_t* header = box.Size() >= 12 ? boxes_.BytesAt(box.Start, 12) : nullptr;
        if (header == nullptr) return;
        const uint64_t common = ReadBigEndian(header + 4, 4), count = ReadBigEndian(header + 8, 4);
        if (common != 0) {
            track_.SampleBytes = common * count;
            return;
        }
        uint64_t total = 0;
        const uint64_t end = box.Start + 12 + std::min<uint64_t>(count, (box.Size() - 12) / 4) * 4;
        for (uint64_t at = box.Start + 12; at < end;) {
            const size_t chunk = static_cast<size_t>(std::min<uint64_t>(end - at, BoxReader::kLargestRead));
            const uint8_t* sizes = boxes_.BytesAt(at, chunk);
            if (sizes == nullptr) return;
            for (size_t i = 0; i < chunk; i += 4) total += ReadBigEndian(sizes + i, 4);
            at += chunk;
        }
        track_.SampleBytes = total;
    }

    // The ES descriptor (tag 3) holds the decoder configuration (tag 4) with the average
    // bitrate, which holds the AudioSpecificConfig (tag 5).
    void ReadEsds(const Box& box) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(box.Size(), 256));
        const uint8_t* body = boxes_.BytesAt(box.Start, size);
        if (body == nullptr) return;
        for (size_t at = 4; at + 1 < size;) {
            const uint8_t tag = body[at++];
            uint32_t length = 0;
            for (int i = 0; i < 4 && at < size; ++i) {
                const uint8_t b = body[at++];
                length = length << 7 | (b & 0x7F);
                if ((b & 0x80) == 0) break;
            }
            if (tag == 3 && at + 3 <= size) {
                // The ES id, then flags for a dependence (two bytes), a URL (counted) and an OCR stream (two).
                const uint8_t flags = body[at + 2];
                at += 3;
                if ((flags & 0x80) != 0) at += 2;
                if ((flags & 0x40) != 0 && at < size) at += 1 + body[at];
                if ((flags & 0x20) != 0) at += 2;
            } else if (tag == 4) {
                if (at + 13 > size) return;
                track_.AverageBitrate = ReadBigEndian(body + at + 9, 4);
                at += 13;
            } else if (tag == 5) {
                track_.ConfigRate = AudioSpecificConfigRate(body + at, std::min<size_t>(length, size - at));
                return;
            } else {
                at += length;
            }
        }
    }

    // The rate: ALAC's configuration; else the entry's unless it is 0 or cannot hold the
    // configuration's; else the media header's time scale, which is the rate for audio.
    long SampleRate() const {
        if (sound_.Alac && sound_.ConfigRate != 0) return static_cast<long>(sound_.ConfigRate);
        if (sound_.EntryRate >= 1 && sound_.ConfigRate <= 0xFFFF) return std::lround(sound_.EntryRate);
        if (sound_.ConfigRate != 0) return static_cast<long>(sound_.ConfigRate);
        return static_cast<long>(sound_.Timescale);
    }

    void SetAudio() {
        const bool trackTimed = sound_.Timescale != 0 && sound_.Duration != 0;
        const uint32_t timescale = trackTimed ? sound_.Timescale : movieTimescale_;
        const uint64_t duration = trackTimed ? sound_.Duration : movieDuration_;
        if (sound_.EntryRead) tags_.SampleRate = SampleRate();
        tags_.Channels = sound_.Channels;
        if (timescale == 0 || duration == 0) return;
        tags_.Duration = static_cast<double>(duration) / timescale;
        // ALAC states the PCM rate, if anything: its real average is what its samples hold.
        const uint64_t bytes = sound_.SampleBytes != 0 ? sound_.SampleBytes : mediaBytes_;
        const double bytesRate = static_cast<double>(bytes) * 8 / tags_.Duration / 1000;
        const bool stated = sound_.AverageBitrate != 0 && !sound_.Alac;
        tags_.Bitrate = std::lround(stated ? sound_.AverageBitrate / 1000.0 : bytesRate);
    }

    MediaTags& tags_;
    BoxReader boxes_;
    TextFields fields_;
    Track track_;
    Track sound_;
    uint32_t movieTimescale_ = 0;
    uint64_t movieDuration_ = 0;
    uint64_t mediaBytes_ = 0;
    bool itemsRead_ = false;
};

}  // namespace

bool ReadMp4File(PrefetchedSource& file, MediaTags& tags, uint32_t* error) {
    return Mp4FileReader(file, tags).Read(error);
}
