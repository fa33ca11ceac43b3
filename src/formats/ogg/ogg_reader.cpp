#include "formats/ogg/ogg_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/little_endian.h"
#include "formats/base64_bytes.h"
#include "formats/flac/flac_stream_info.h"
#include "formats/ogg/ogg_packet_stream.h"
#include "formats/text_fields.h"
#include "formats/vorbis_comments/vorbis_comment_reader.h"

namespace {

// The last page starts within this much of the end: a page is at most 65,307 bytes.
constexpr size_t kLastPageWindow = 65536 + 27 + 255;
constexpr uint64_t kNoGranule = ~0ull;
constexpr long kOpusRate = 48000;
// The streams of one file looked at, at most.
constexpr int kMostStreams = 16;

enum class Codec { Other, Vorbis, Opus, Flac };

class OggFileReader final : public PictureNotice {
public:
    OggFileReader(PrefetchedSource& file, MediaTags& tags)
        : file_(file), tags_(tags), fields_(tags), packets_(file, file.Size(), &file.Head()) {}

    bool Read(uint32_t* error) {
        // A file of several streams (pictures and sound) starts with the first page of each:
        // the first Vorbis or Opus stream among them is read.
        uint64_t page = 0;
        for (int stream = 0; codec_ == Codec::Other && stream < kMostStreams && packets_.Open(page); ++stream) {
            if (stream > 0 && (packets_.Page().Flags & 2) == 0) break;
            page = packets_.Page().End;
            ReadHeaders();
        }
        if (codec_ == Codec::Other) AddTagType(tags_.TagTypes, u"Ogg");
        if (!packets_.Failed() && codec_ != Codec::Other && !ReadLength(error)) return false;
        *error = packets_.Error();
        tags_.Picture.FileSize = file_.Size();
        return !packets_.Failed();
    }

    // The picture's place and, from its first eight characters, its type.
    size_t NotePicture(uint32_t size) override {
        PictureLocation picture;
        picture.OggBase64 = true;
        picture.OggPage = packets_.Page().Offset;
        picture.RawStart = packets_.Position();
        picture.Size = size;
        Base64Bytes bytes(packets_, size);
        uint32_t type = 0;
        if (bytes.ReadBigEndian32(&type)) {
            picture.Type = static_cast<uint8_t>(std::min<uint32_t>(type, 255));
            tags_.OfferPicture(picture);
        }
        return static_cast<size_t>(size - bytes.Left());
    }

private:
    void ReadHeaders() {
        // Ogg FLAC: 0x7F "FLAC", version, header count, "fLaC", STREAMINFO's block header and body.
        uint8_t id[13 + 4 + kFlacStreamInfoSize] = {};
        const size_t size = packets_.Read(id, sizeof id);
        FlacStreamInfo flac;
        if (size == sizeof id && std::memcmp(id, "\x7F" "FLAC", 5) == 0 && std::memcmp(id + 9, "fLaC", 4) == 0 &&
            ParseFlacStreamInfo(id + 17, flac)) {
            codec_ = Codec::Flac;
            tags_.Channels = static_cast<long>(flac.Channels);
            tags_.SampleRate = static_cast<long>(std::min<uint32_t>(flac.SampleRate, 0x7FFFFFFF));
        } else if (size >= 16 && std::memcmp(id, "\x01vorbis", 7) == 0) {
            codec_ = Codec::Vorbis;
            tags_.Channels = id[11];
            tags_.SampleRate = static_cast<long>(std::min<uint64_t>(ReadLittleEndian(id + 12, 4), 0x7FFFFFFF));
            nominalBitrate_ = size >= 24 ? static_cast<int32_t>(ReadLittleEndian(id + 20, 4)) : 0;
        } else if (size >= 19 && std::memcmp(id, "OpusHead", 8) == 0) {
            codec_ = Codec::Opus;
            tags_.Channels = id[9];
            tags_.SampleRate = kOpusRate;
            preSkip_ = id[10] | id[11] << 8;
        } else {
            return;
        }
        tags_.Format = codec_ == Codec::Vorbis ? u"Ogg Vorbis" : codec_ == Codec::Opus ? u"Opus" : u"FLAC";
        serial_ = packets_.Page().Serial;
        if (packets_.NextPacket()) ReadComments();
        headersEnd_ = packets_.Page().End;
    }

    // The second packet: "\x03vorbis", "OpusTags", or in Ogg FLAC the Vorbis comment block's header.
    void ReadComments() {
        const bool vorbis = codec_ == Codec::Vorbis, opus = codec_ == Codec::Opus;
        const size_t length = vorbis ? 7 : opus ? 8 : 1;
        uint8_t bytes[8] = {};
        if (packets_.Read(bytes, length) < length) return;
        if (vorbis || opus) {
            if (std::memcmp(bytes, vorbis ? "\x03vorbis" : "OpusTags", length) != 0) return;
        } else if ((bytes[0] & 0x7F) != 4 || packets_.Skip(3) < 3) {
            return;
        }
        AddTagType(tags_.TagTypes, vorbis ? u"Vorbis" : opus ? u"Opus" : u"FLAC");
        ReadVorbisComments(packets_, fields_, this);
        fields_.Finish(VorbisFieldNames());
    }

    // The granule position of the stream's last page, looked for backwards from the end.
    bool ReadLength(uint32_t* error) {
        const uint64_t size = file_.Size();
        const uint64_t start = size - std::min<uint64_t>(size, kLastPageWindow);
        // A small file is at hand whole already.
        FileRegion own;
        const FileRegion* tail = &file_.Head();
        if (!tail->Covers(start, size)) {
            if (!ReadRegion(file_, start, static_cast<size_t>(size - start), own, error)) return false;
            tail = &own;
        }
        uint64_t granule = kNoGranule;
        OggPage page;
        for (uint64_t at = tail->End(); at-- > start && granule == kNoGranule;) {
            if (*tail->At(at) == 'O' && ParseOggPage(tail->At(at), static_cast<size_t>(tail->End() - at), at, page) &&
                page.Serial == serial_) {
                granule = page.Granule;
            }
        }
        SetLength(granule);
        return true;
    }

    void SetLength(uint64_t granule) {
        const uint64_t skipped = codec_ == Codec::Opus ? preSkip_ : 0;
        if (granule == kNoGranule || granule <= skipped || tags_.SampleRate <= 0) return;
        tags_.Duration = static_cast<double>(granule - skipped) / tags_.SampleRate;
        const uint64_t audioBytes = file_.Size() - std::min(file_.Size(), headersEnd_);
        const double bitrate = nominalBitrate_ > 0 ? nominalBitrate_ / 1000.0 : audioBytes * 8 / tags_.Duration / 1000;
        tags_.Bitrate = std::lround(bitrate);
    }

    PrefetchedSource& file_;
    MediaTags& tags_;
    TextFields fields_;
    OggPacketStream packets_;
    Codec codec_ = Codec::Other;
    uint32_t serial_ = 0;
    uint32_t preSkip_ = 0;
    int32_t nominalBitrate_ = 0;
    uint64_t headersEnd_ = 0;
};

}  // namespace

bool ReadOggFile(PrefetchedSource& file, MediaTags& tags, uint32_t* error) {
    return OggFileReader(file, tags).Read(error);
}
