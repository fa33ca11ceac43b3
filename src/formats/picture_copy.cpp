#include "formats/picture_copy.h"

#include <algorithm>
#include <vector>

#include "formats/id3v2/tag_stream.h"

namespace {

constexpr size_t kCopyChunk = 64 * 1024;

}  // namespace

PictureCopy CopyStoredPicture(MediaSource& source, const MediaTags& tags, ByteSink& target, uint32_t* error) {
    *error = 0;
    if (!tags.HasPicture()) return PictureCopy::NoPicture;
    const PictureLocation& picture = tags.Picture;
    uint64_t size = 0;
    if (!source.GetSize(&size, error)) return PictureCopy::ReadFailed;
    if (size != picture.FileSize) return PictureCopy::Changed;
    TagStream stream(source, picture.RawStart, picture.RawEnd, picture.Unsynchronised, nullptr);
    stream.Seek({picture.RawStart, picture.AfterFF});
    std::vector<uint8_t> chunk(kCopyChunk);
    uint64_t left = picture.Size;
    const bool skipped = stream.Skip(picture.Skip) == picture.Skip;
    while (skipped && left > 0) {
        const size_t read = stream.Read(chunk.data(), static_cast<size_t>(std::min<uint64_t>(left, kCopyChunk)));
        if (read == 0) break;
        if (!target.Write(chunk.data(), read, error)) return PictureCopy::WriteFailed;
        left -= read;
    }
    if (stream.Failed()) {
        *error = stream.Error();
        return PictureCopy::ReadFailed;
    }
    const bool whole = skipped && !stream.Truncated() && (picture.Size == PictureLocation::kUnknownSize || left == 0);
    return whole ? PictureCopy::Copied : PictureCopy::Changed;
}
