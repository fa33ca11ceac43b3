#include "formats/flac/flac_reader.h"

#include <algorithm>
#include <cmath>

#include "formats/flac/flac_picture_header.h"
#include "formats/flac/flac_stream_info.h"
#include "formats/id3v2/id3v2_header.h"
#include "formats/id3v2/tag_stream.h"
#include "formats/text_fields.h"
#include "formats/vorbis_comments/vorbis_comment_reader.h"

namespace {

// Blocks walked at most: a file of empty blocks ends there.
constexpr int kMostBlocks = 1024;

enum BlockType : uint8_t { kStreamInfo = 0, kVorbisComment = 4, kPicture = 6 };

class FlacFileReader {
public:
    FlacFileReader(PrefetchedSource& file, MediaTags& tags) : file_(file), tags_(tags), fields_(tags) {}

    bool Read(uint64_t start, uint32_t* error) {
        const uint64_t size = file_.Size();
        TagStream blocks(file_, start + 4, size, false, &file_.Head());
        bool last = false;
        for (int i = 0; i < kMostBlocks && !last; ++i) {
            uint8_t header[4];
            if (blocks.Read(header, 4) < 4) break;
            last = (header[0] & 0x80) != 0;
            const uint64_t begin = blocks.RawOffset();
            const uint64_t end = std::min(begin + ReadBigEndian(header + 1, 3), size);
            TagStream block(file_, begin, end, false, &file_.Head());
            ReadBlock(header[0] & 0x7F, block);
            if (block.Failed()) return Fail(block, error);
            blocks.Skip(static_cast<size_t>(end - begin));
        }
        if (blocks.Failed()) return Fail(blocks, error);
        fields_.Finish(VorbisFieldNames());
        tags_.Picture.FileSize = size;
        tags_.Format = u"FLAC";
        if (last) SetBitrate(size - blocks.RawOffset());
        return true;
    }

private:
    static bool Fail(const TagStream& stream, uint32_t* error) {
        *error = stream.Error();
        return false;
    }

    void ReadBlock(uint8_t type, TagStream& block) {
        if (type == kStreamInfo) {
            ReadStreamInfo(block);
        } else if (type == kVorbisComment && !commentsRead_) {
            commentsRead_ = true;
            AddTagType(tags_.TagTypes, u"FLAC");
            StreamBytes bytes(block);
            ReadVorbisComments(bytes, fields_, nullptr);
        } else if (type == kPicture) {
            StreamBytes bytes(block);
            ReadPicture(bytes, block.RawOffset(), block.RawEnd());
        }
    }

    void ReadStreamInfo(TagStream& block) {
        uint8_t info[kFlacStreamInfoSize];
        FlacStreamInfo stream;
        if (block.Read(info, sizeof info) < sizeof info || !ParseFlacStreamInfo(info, stream)) return;
        tags_.SampleRate = static_cast<long>(stream.SampleRate);
        tags_.Channels = static_cast<long>(stream.Channels);
        // No sample count: the length is unknown, and nothing is guessed.
        tags_.Duration = static_cast<double>(stream.Samples) / stream.SampleRate;
    }

    void SetBitrate(uint64_t audioBytes) {
        if (tags_.Duration > 0) tags_.Bitrate = std::lround(static_cast<double>(audioBytes) * 8 / tags_.Duration / 1000);
    }

    void ReadPicture(SequentialBytes& bytes, uint64_t begin, uint64_t end) {
        uint32_t type = 0, image = 0;
        size_t header = 0;
        if (!ReadFlacPictureHeader(bytes, &type, &image, &header)) return;
        PictureLocation picture;
        picture.Type = static_cast<uint8_t>(std::min<uint32_t>(type, 255));
        picture.RawStart = begin;
        picture.RawEnd = end;
        picture.Skip = header;
        picture.Size = image;
        tags_.OfferPicture(picture);
    }

    PrefetchedSource& file_;
    MediaTags& tags_;
    TextFields fields_;
    bool commentsRead_ = false;
};

}  // namespace

bool ReadFlacFile(PrefetchedSource& file, uint64_t start, MediaTags& tags, uint32_t* error) {
    return FlacFileReader(file, tags).Read(start, error);
}
