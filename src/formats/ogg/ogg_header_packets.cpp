#include "formats/ogg/ogg_header_packets.h"

#include <cstring>

#include "formats/file_region.h"
#include "formats/little_endian.h"
#include "formats/ogg/ogg_crc.h"
#include "formats/ogg/ogg_packet_stream.h"

namespace {

constexpr size_t kLongestHeader = 27 + 255;
// The streams a file may begin with, looked at (as the reader looks at them).
constexpr int kMostStreams = 16;
// The header packets held in memory at most: a 16 MB picture in base64 and the rest.
constexpr size_t kLargestHeaders = 64u * 1024 * 1024;

SaveVerdict Damaged(const char16_t* reason) { return SaveVerdict::Refused(SaveRefusal::Damaged, reason); }

class HeaderWalk {
public:
    HeaderWalk(PrefetchedSource& file, OggHeaderPackets& headers) : file_(file), headers_(headers) {}

    SaveVerdict Walk() {
        headers_ = OggHeaderPackets();
        uint64_t first = 0;
        SaveVerdict found = FindAudioStream(&first);
        if (!found.Ok()) return found;
        if (headers_.Codec == OggCodec::Other) {
            return SaveVerdict::Refused(SaveRefusal::Unsupported, u"it holds no Vorbis or Opus stream");
        }
        if (headers_.Codec == OggCodec::Flac) {
            return SaveVerdict::Refused(SaveRefusal::Unsupported,
                                        u"its stream is FLAC in Ogg, whose tags this class does not write");
        }
        return WalkHeaders(first);
    }

private:
    // The page at offset: its header, and where whole is given its bytes; false with
    // *error 0 where there is none there.
    bool ReadPage(uint64_t offset, OggPage& page, std::vector<uint8_t>* whole) {
        error_ = 0;
        if (offset >= file_.Size()) return false;
        if (!ReadRegion(file_, offset, kLongestHeader, region_, &error_) ||
            !ParseOggPage(region_.Bytes.data(), region_.Bytes.size(), offset, page) || page.End > file_.Size()) {
            return false;
        }
        if (whole == nullptr) return true;
        whole->resize(static_cast<size_t>(page.End - offset));
        size_t read = 0;
        return file_.ReadAt(offset, whole->data(), whole->size(), &read, &error_) && read == whole->size();
    }

    SaveVerdict NoPage(const char16_t* reason) const {
        return error_ != 0 ? SaveVerdict::ReadFailure(error_) : Damaged(reason);
    }

    // The codec of a stream by its first packet, as the reader tells it.
    static OggCodec CodecOf(const uint8_t* packet, size_t size) {
        if (size >= 13 && std::memcmp(packet, "\x7F" "FLAC", 5) == 0 && std::memcmp(packet + 9, "fLaC", 4) == 0) {
            return OggCodec::Flac;
        }
        if (size >= 16 && std::memcmp(packet, "\x01vorbis", 7) == 0) return OggCodec::Vorbis;
        if (size >= 19 && std::memcmp(packet, "OpusHead", 8) == 0) return OggCodec::Opus;
        return OggCodec::Other;
    }

    // The first page of each stream the file begins with, until one of an audio codec.
    SaveVerdict FindAudioStream(uint64_t* first) {
        std::vector<uint8_t> bytes;
        uint64_t at = 0;
        for (int stream = 0; stream < kMostStreams; ++stream) {
            OggPage page;
            if (!ReadPage(at, page, &bytes)) {
                if (stream == 0 || error_ != 0) return NoPage(u"its first page is damaged");
                break;
            }
            if (stream > 0 && (page.Flags & 2) == 0) break;
            // A page that continues a packet begins no stream: the reader looks no further either.
            if ((page.Flags & 1) != 0) {
                if (stream == 0) return Damaged(u"its first page continues a packet");
                break;
            }
            const size_t header = static_cast<size_t>(page.BodyStart - page.Offset);
            const OggCodec codec = CodecOf(bytes.data() + header, bytes.size() - header);
            if (codec != OggCodec::Other) {
                if ((page.Flags & 4) != 0) return Damaged(u"its stream ends on its first page");
                // The identification header alone on the stream's first page, as the codecs require.
                for (size_t i = 0; i + 1 < page.Segments; ++i) {
                    if (page.Lacing[i] != 255) {
                        return Damaged(u"its first page holds more than the identification header");
                    }
                }
                if (page.Segments == 0 || page.Lacing[page.Segments - 1] == 255) {
                    return Damaged(u"its identification header runs past its first page");
                }
                headers_.Codec = codec;
                headers_.Serial = page.Serial;
                *first = page.Offset;
                return SaveVerdict::Planned();
            }
            at = page.End;
        }
        return SaveVerdict::Planned();
    }

    // The stream's pages after its first, packet by packet, until its header packets are whole.
    SaveVerdict WalkHeaders(uint64_t first) {
        const size_t wanted = headers_.Codec == OggCodec::Vorbis ? 2 : 1;
        OggPage page;
        if (!ReadPage(first, page, nullptr)) return NoPage(u"its first page is damaged");
        std::vector<uint8_t> bytes, packet;
        size_t held = 0;
        bool inPacket = false;
        for (uint64_t at = page.End;; at = page.End) {
            if (!ReadPage(at, page, nullptr)) return NoPage(u"its header pages cannot be walked");
            if (page.Serial != headers_.Serial) continue;
            if (!ReadPage(at, page, &bytes)) return NoPage(u"its header pages cannot be walked");
            if (OggPageChecksum(bytes.data(), bytes.size()) != ReadLittleEndian(bytes.data() + kOggChecksumAt, 4)) {
                return Damaged(u"the checksum of one of its header pages is wrong");
            }
            if (((page.Flags & 1) != 0) != inPacket || (page.Flags & 2) != 0) {
                return Damaged(u"its header pages do not follow one another");
            }
            headers_.Pages.push_back({page.Offset, page.End, {page.Segments, page.Granule}, page.Flags,
                                      static_cast<uint32_t>(ReadLittleEndian(bytes.data() + kOggSequenceAt, 4))});
            size_t body = static_cast<size_t>(page.BodyStart - page.Offset);
            for (size_t segment = 0; segment < page.Segments; ++segment) {
                if (headers_.Packets.size() == wanted) {
                    return SaveVerdict::Refused(SaveRefusal::Unsupported,
                                                u"its first audio packet starts on a page of its headers");
                }
                const uint8_t lace = page.Lacing[segment];
                packet.insert(packet.end(), bytes.begin() + static_cast<std::ptrdiff_t>(body),
                              bytes.begin() + static_cast<std::ptrdiff_t>(body + lace));
                body += lace;
                held += lace;
                inPacket = lace == 255;
                if (!inPacket) {
                    headers_.Packets.push_back(std::move(packet));
                    packet.clear();
                }
            }
            // A stream that ends on its headers has no audio; one that ends before them is damaged.
            if ((page.Flags & 4) != 0 && headers_.Packets.size() != wanted) {
                return Damaged(u"its stream ends before its header packets do");
            }
            if (held > kLargestHeaders) {
                return SaveVerdict::Refused(SaveRefusal::TooLarge, u"its header packets are larger than 64 MB");
            }
            if (headers_.Packets.size() == wanted) return SaveVerdict::Planned();
        }
    }

    PrefetchedSource& file_;
    OggHeaderPackets& headers_;
    FileRegion region_;
    uint32_t error_ = 0;
};

}  // namespace

SaveVerdict ReadOggHeaderPackets(PrefetchedSource& file, OggHeaderPackets& headers) {
    return HeaderWalk(file, headers).Walk();
}
