#include "formats/media_format.h"

#include <cstring>

#include "formats/asf/asf_file_reader.h"
#include "formats/flac/flac_file_reader.h"
#include "formats/id3v2_header.h"
#include "formats/media_file_reader.h"
#include "formats/mp4/mp4_file_reader.h"
#include "formats/ogg/ogg_file_reader.h"
#include "formats/ogg/ogg_picture_copy.h"
#include "formats/riff/chunk_file_reader.h"

namespace {

// The first read serves the recognition and then the reader: most files have their tags
// and first audio in it.
constexpr size_t kHeadSize = 16 * 1024;

bool HasAt(const FileRegion& head, uint64_t offset, const char* marker) {
    const size_t size = std::strlen(marker);
    return head.Covers(offset, offset + size) && std::memcmp(head.At(offset), marker, size) == 0;
}

// "fLaC" after an ID3v2 tag that some tools put in front of it.
bool ReadFlacAfterId3v2(PrefetchedSource& file, RecognizedFormat& format, uint32_t* error) {
    const FileRegion& head = file.Head();
    Id3v2Header header;
    if (head.Bytes.size() < 10 || !ParseId3v2Header(head.Bytes.data(), header)) return true;
    const uint64_t end = header.TotalSize();
    if (end + 4 > file.Size()) return true;
    FileRegion marker;
    if (!head.Covers(end, end + 4) && !ReadRegion(file, end, 4, marker, error)) return false;
    if (HasAt(head, end, "fLaC") || HasAt(marker, end, "fLaC")) format = {MediaFormat::Flac, end};
    return true;
}

}  // namespace

bool RecognizeFormat(PrefetchedSource& file, RecognizedFormat& format, uint32_t* error) {
    const FileRegion& head = file.Head();
    format = {};
    const struct {
        uint64_t Offset;
        const char* Marker;
        MediaFormat Format;
        const char* Second;  // at 8, when not null
    } markers[] = {{0, "fLaC", MediaFormat::Flac, nullptr}, {0, "OggS", MediaFormat::Ogg, nullptr},
                   {0, "RIFF", MediaFormat::Wav, "WAVE"}, {0, "FORM", MediaFormat::Aiff, "AIFF"},
                   {0, "FORM", MediaFormat::Aiff, "AIFC"}, {4, "ftyp", MediaFormat::Mp4, nullptr}};
    if (head.Covers(0, 16) && std::memcmp(head.Bytes.data(), kAsfHeaderGuid, 16) == 0) {
        format.Format = MediaFormat::Asf;
        return true;
    }
    for (const auto& marker : markers) {
        if (HasAt(head, marker.Offset, marker.Marker) && (marker.Second == nullptr || HasAt(head, 8, marker.Second))) {
            format.Format = marker.Format;
            return true;
        }
    }
    return ReadFlacAfterId3v2(file, format, error);
}

bool ReadMediaFile(MediaSource& file, MediaTags& out, uint32_t* error) {
    out.Clear();
    *error = 0;
    PrefetchedSource source(file);
    RecognizedFormat format;
    bool read = source.Prefetch(kHeadSize, error) && RecognizeFormat(source, format, error);
    if (read) {
        switch (format.Format) {
            case MediaFormat::Flac:
                read = ReadFlacFile(source, format.Start, out, error);
                break;
            case MediaFormat::Ogg:
                read = ReadOggFile(source, out, error);
                break;
            case MediaFormat::Wav:
                read = ReadWavFile(source, out, error);
                break;
            case MediaFormat::Aiff:
                read = ReadAiffFile(source, out, error);
                break;
            case MediaFormat::Mp4:
                read = ReadMp4File(source, out, error);
                break;
            case MediaFormat::Asf:
                read = ReadAsfFile(source, out, error);
                break;
            default:
                read = ReadMp3File(source, out, error);
                break;
        }
    }
    if (!read) out.Clear();
    return read;
}

PictureCopy CopyPicture(MediaSource& source, const MediaTags& tags, ByteSink& target, uint32_t* error) {
    if (!tags.HasPicture() || !tags.Picture.OggBase64) return CopyStoredPicture(source, tags, target, error);
    *error = 0;
    uint64_t size = 0;
    if (!source.GetSize(&size, error)) return PictureCopy::ReadFailed;
    if (size != tags.Picture.FileSize) return PictureCopy::Changed;
    return CopyOggPicture(source, tags.Picture, target, error);
}
