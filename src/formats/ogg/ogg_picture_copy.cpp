#include "formats/ogg/ogg_picture_copy.h"

#include <algorithm>
#include <vector>

#include "formats/base64_bytes.h"
#include "formats/flac/flac_picture_header.h"
#include "formats/ogg/ogg_packet_stream.h"

namespace {

constexpr size_t kCopyChunk = 64 * 1024;

}  // namespace

PictureCopy CopyOggPicture(MediaSource& source, const PictureLocation& picture, ByteSink& target, uint32_t* error) {
    OggPacketStream packets(source, picture.FileSize);
    Base64Bytes bytes(packets, picture.Size);
    uint32_t type = 0, left = 0;
    size_t header = 0;
    const bool found = packets.Resume(picture.OggPage, picture.RawStart) &&
                       ReadFlacPictureHeader(bytes, &type, &left, &header);
    std::vector<uint8_t> chunk(kCopyChunk);
    while (found && left > 0) {
        const size_t read = bytes.Read(chunk.data(), std::min<size_t>(left, kCopyChunk));
        if (read == 0) break;
        if (!target.Write(chunk.data(), read, error)) return PictureCopy::WriteFailed;
        left -= static_cast<uint32_t>(read);
    }
    if (packets.Failed()) {
        *error = packets.Error();
        return PictureCopy::ReadFailed;
    }
    return found && left == 0 ? PictureCopy::Copied : PictureCopy::Changed;
}
