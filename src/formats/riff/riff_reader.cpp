#include "formats/riff/riff_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/little_endian.h"
#include "formats/id3v2/id3v2_header.h"
#include "formats/riff/id3_chunk.h"
#include "formats/riff/info_list.h"
#include "formats/text_fields.h"

namespace {

// An INFO text longer than this is nobody's title.
constexpr uint64_t kLongestInfoText = 64 * 1024;
constexpr uint16_t kPcm = 1, kFloat = 3, kALaw = 6, kMuLaw = 7, kExtensible = 0xFFFE;

// A format whose every second takes the same bytes: as long as its data at its byte rate,
// without a "fact" chunk.
bool IsFixedSize(uint16_t formatTag) noexcept {
    return formatTag == kPcm || formatTag == kFloat || formatTag == kALaw || formatTag == kMuLaw ||
           formatTag == kExtensible;
}

// An AIFF-C compression type whose samples are stored as they are.
bool IsUncompressedAifc(const uint8_t* type) noexcept {
    static const char* const kTypes[] = {"NONE", "twos", "sowt", "raw ", "fl32", "FL32", "fl64", "FL64", "in24", "in32"};
    for (const char* known : kTypes) {
        if (std::memcmp(type, known, 4) == 0) return true;
    }
    return false;
}

// An 80-bit IEEE extended number, as AIFF keeps its sample rate.
double ReadExtended(const uint8_t* bytes) noexcept {
    const int exponent = ((bytes[0] & 0x7F) << 8 | bytes[1]) - 16383 - 63;
    const uint64_t mantissa = static_cast<uint64_t>(ReadBigEndian(bytes + 2, 4)) << 32 | ReadBigEndian(bytes + 6, 4);
    const double value = std::ldexp(static_cast<double>(mantissa), exponent);
    return (bytes[0] & 0x80) != 0 ? -value : value;
}

// Where the ID3v2 chunk lacks a property, the INFO chunk's.
void FillGaps(MediaTags& tags, const MediaTags& from) {
    for (auto field : {&MediaTags::Title, &MediaTags::Artist, &MediaTags::Album, &MediaTags::Comment, &MediaTags::Genre}) {
        if ((tags.*field).empty()) tags.*field = from.*field;
    }
    for (auto field : {&MediaTags::Year, &MediaTags::Track}) {
        if (tags.*field == 0) tags.*field = from.*field;
    }
    tags.Texts.insert(from.Texts.begin(), from.Texts.end());
}

class ChunkFileReader {
public:
    ChunkFileReader(PrefetchedSource& file, MediaTags& tags) : file_(file), tags_(tags), fields_(info_) {}

    bool Read(bool aiff, uint32_t* error) {
        aiff_ = aiff;
        const FileRegion& head = file_.Head();
        aifc_ = aiff && head.Covers(8, 12) && std::memcmp(head.At(8), "AIFC", 4) == 0;
        ChunkWalk chunks(file_, 12, file_.Size(), aiff);
        Chunk chunk;
        while (chunks.Next(chunk, error)) {
            if (!ReadChunk(chunk, error)) return false;
        }
        if (chunks.Failed()) return false;
        fields_.Finish(InfoFieldNames());
        FillGaps(tags_, info_);
        tags_.TextKeysIgnoreCase = true;
        tags_.TagTypes = types_;
        tags_.Format = aiff ? u"AIFF" : u"WAV";
        tags_.Picture.FileSize = file_.Size();
        SetLength();
        return true;
    }

private:
    bool ReadChunk(const Chunk& chunk, uint32_t* error) {
        if ((chunk.Is("id3 ") || chunk.Is("ID3 ")) && !id3Read_) {
            id3Read_ = true;
            return ReadId3Chunk(file_, chunk, tags_, types_, error);
        }
        if (!aiff_ && chunk.Is("LIST")) return ReadList(chunk, error);
        uint8_t bytes[22] = {};
        // AIFF-C's COMM names its compression after the 18 bytes AIFF's holds.
        const size_t common = aifc_ && chunk.Size >= 22 ? 22 : 18;
        const size_t wanted = chunk.Is("fmt ") ? 16 : chunk.Is("COMM") ? common : chunk.Is("fact") ? 4 : chunk.Is("SSND") ? 8 : 0;
        if (wanted == 0) {
            if (chunk.Is("data")) dataBytes_ = chunk.Size;
            return true;
        }
        FileRegion body;
        if (chunk.Size < wanted || !ReadRegion(file_, chunk.Start, wanted, body, error)) return chunk.Size < wanted;
        if (body.Bytes.size() < wanted) return true;
        std::memcpy(bytes, body.Bytes.data(), wanted);
        if (chunk.Is("fmt ")) ReadWaveFormat(bytes);
        if (chunk.Is("COMM")) ReadCommon(bytes, wanted);
        if (chunk.Is("fact")) samples_ = static_cast<uint32_t>(ReadLittleEndian(bytes, 4));
        if (chunk.Is("SSND")) dataBytes_ = chunk.Size - std::min<uint64_t>(chunk.Size, 8 + ReadBigEndian(bytes, 4));
        return true;
    }

    // Format tag, channels, rate, bytes a second, block size, bits.
    void ReadWaveFormat(const uint8_t* bytes) {
        formatTag_ = static_cast<uint16_t>(ReadLittleEndian(bytes, 2));
        tags_.Channels = static_cast<long>(ReadLittleEndian(bytes + 2, 2));
        tags_.SampleRate = static_cast<long>(std::min<uint64_t>(ReadLittleEndian(bytes + 4, 4), 0x7FFFFFFF));
        byteRate_ = static_cast<uint32_t>(ReadLittleEndian(bytes + 8, 4));
        bits_ = static_cast<uint32_t>(ReadLittleEndian(bytes + 14, 2));
        uncompressed_ = IsFixedSize(formatTag_);
    }

    // Channels, sample frames, bits, rate; in AIFF-C the compression type.
    void ReadCommon(const uint8_t* bytes, size_t size) {
        tags_.Channels = static_cast<long>(ReadBigEndian(bytes, 2));
        samples_ = ReadBigEndian(bytes + 2, 4);
        bits_ = ReadBigEndian(bytes + 6, 2);
        uncompressed_ = !aifc_ || (size >= 22 && IsUncompressedAifc(bytes + 18));
        const double rate = ReadExtended(bytes + 8);
        tags_.SampleRate = rate >= 1 && rate < 1e9 ? std::lround(rate) : 0;
    }

    bool ReadList(const Chunk& list, uint32_t* error) {
        FileRegion type;
        if (!ReadRegion(file_, list.Start, 4, type, error)) return false;
        if (type.Bytes.size() < 4 || std::memcmp(type.Bytes.data(), "INFO", 4) != 0) return true;
        ChunkWalk items(file_, list.Start + 4, list.Start + list.Size, false);
        Chunk item;
        FileRegion text;
        while (items.Next(item, error)) {
            if (item.Size > kLongestInfoText || fields_.Full()) continue;
            if (!ReadRegion(file_, item.Start, static_cast<size_t>(item.Size), text, error)) return false;
            const auto* bytes = reinterpret_cast<const char*>(text.Bytes.data());
            const size_t length = std::find(bytes, bytes + text.Bytes.size(), '\0') - bytes;
            const std::u16string key(item.Id, item.Id + 4);
            if (length > 0) fields_.Add(key, file_.DecodeCodePage(bytes, length));
        }
        if (!info_.Texts.empty() && types_.find(u"RIFF INFO") == std::u16string::npos) AddTagType(types_, u"RIFF INFO");
        return !items.Failed();
    }

    // Compressed WAV counts its samples in "fact"; a fixed-size format is as long as its
    // bytes.  Uncompressed audio's bitrate is its sample rate, channels and bits, however
    // much of its data the file holds.
    void SetLength() {
        if (aiff_ || !uncompressed_) {
            if (tags_.SampleRate > 0 && samples_ > 0) tags_.Duration = static_cast<double>(samples_) / tags_.SampleRate;
        } else if (byteRate_ > 0) {
            tags_.Duration = static_cast<double>(dataBytes_) / byteRate_;
        }
        double bitrate = 0;
        if (uncompressed_ && bits_ > 0 && tags_.SampleRate > 0 && tags_.Channels > 0) {
            bitrate = static_cast<double>(tags_.SampleRate) * tags_.Channels * bits_ / 1000;
        } else if (tags_.Duration > 0) {
            bitrate = dataBytes_ * 8 / tags_.Duration / 1000;
        }
        // A damaged header's product may pass what a 32-bit long holds.
        tags_.Bitrate = std::lround(std::min(bitrate, 2147483647.0));
    }

    PrefetchedSource& file_;
    MediaTags& tags_;
    MediaTags info_;
    TextFields fields_;
    std::u16string types_;
    bool aiff_ = false;
    bool aifc_ = false;
    bool id3Read_ = false;
    bool uncompressed_ = false;
    uint32_t bits_ = 0;
    uint16_t formatTag_ = 0;
    uint32_t byteRate_ = 0;
    uint32_t samples_ = 0;
    uint64_t dataBytes_ = 0;
};

}  // namespace

bool ReadWavFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error) {
    return ChunkFileReader(file, tags).Read(false, error);
}

bool ReadAiffFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error) {
    return ChunkFileReader(file, tags).Read(true, error);
}
