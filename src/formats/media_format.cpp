#include "formats/media_format.h"

#include <cstring>

#include "formats/asf/asf_reader.h"
#include "formats/asf/asf_writer.h"
#include "formats/flac/flac_reader.h"
#include "formats/flac/flac_writer.h"
#include "formats/id3v2/id3v2_header.h"
#include "formats/mp3/mp3_reader.h"
#include "formats/mp3/mp3_tag_layout.h"
#include "formats/mp3/mp3_writer.h"
#include "formats/mp4/mp4_reader.h"
#include "formats/mp4/mp4_writer.h"
#include "formats/ogg/ogg_picture_copy.h"
#include "formats/ogg/ogg_reader.h"
#include "formats/ogg/ogg_writer.h"
#include "formats/riff/riff_reader.h"
#include "formats/riff/riff_writer.h"

namespace {

// The first read serves the recognition and then the reader: most files have their tags
// and first audio in it.
constexpr size_t kHeadSize = 16 * 1024;

bool HasBytes(const FileRegion& region, uint64_t offset, size_t size) { return region.Covers(offset, offset + size); }

bool HasAt(const FileRegion& head, uint64_t offset, const char* marker) {
    const size_t size = std::strlen(marker);
    return head.Covers(offset, offset + size) && std::memcmp(head.At(offset), marker, size) == 0;
}

// The bytes [offset, offset + size) from the first read where it holds them, else read.
const uint8_t* BytesAt(PrefetchedSource& file, uint64_t offset, size_t size, FileRegion& read, uint32_t* error,
                       bool* failed) {
    if (HasBytes(file.Head(), offset, size)) return file.Head().At(offset);
    if (offset + size > file.Size()) return nullptr;
    if (!ReadRegion(file, offset, size, read, error)) {
        *failed = true;
        return nullptr;
    }
    return read.Covers(offset, offset + size) ? read.At(offset) : nullptr;
}

// "fLaC" after the ID3v2 tags that some tools put in front of it, as many back to back as
// the MP3 reader passes: a save that makes them one tag must not change the file's format.
bool ReadFlacAfterId3v2(PrefetchedSource& file, RecognizedFormat& format, uint32_t* error) {
    uint64_t end = 0;
    FileRegion read;
    bool failed = false;
    for (int tags = 0; tags < kMostLeadingTags; ++tags) {
        const uint8_t* bytes = BytesAt(file, end, 10, read, error, &failed);
        Id3v2Header header;
        if (bytes == nullptr || !ParseId3v2Header(bytes, header)) break;
        end += header.TotalSize();
    }
    if (failed) return false;
    if (end == 0) return true;
    const uint8_t* marker = BytesAt(file, end, 4, read, error, &failed);
    if (failed) return false;
    if (marker != nullptr && std::memcmp(marker, "fLaC", 4) == 0) format = {MediaFormat::Flac, end};
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

bool FormatNamed(const std::u16string& name, MediaFormat* format) noexcept {
    const struct {
        const char16_t* Name;
        MediaFormat Format;
    } names[] = {{u"MP3", MediaFormat::Mp3}, {u"FLAC", MediaFormat::Flac}, {u"Ogg Vorbis", MediaFormat::Ogg},
                 {u"Opus", MediaFormat::Ogg},  {u"Ogg", MediaFormat::Ogg},   {u"WAV", MediaFormat::Wav},
                 {u"AIFF", MediaFormat::Aiff}, {u"MP4", MediaFormat::Mp4},  {u"WMA", MediaFormat::Asf}};
    for (const auto& known : names) {
        if (name == known.Name) {
            *format = known.Format;
            return true;
        }
    }
    return false;
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

SaveVerdict PlanMediaSave(MediaSource& file, const TagEdits& edits, CodePageEncoder& encoder, SavePlan& plan) {
    plan = SavePlan();
    uint32_t error = 0;
    PrefetchedSource source(file);
    RecognizedFormat format;
    if (!source.Prefetch(kHeadSize, &error) || !RecognizeFormat(source, format, &error)) {
        return SaveVerdict::ReadFailure(error);
    }
    const SaveRequest request{source, format.Start, edits, encoder};
    SaveVerdict verdict;
    switch (format.Format) {
        case MediaFormat::Flac:
            verdict = PlanFlacSave(request, plan);
            break;
        case MediaFormat::Ogg:
            verdict = PlanOggSave(request, plan);
            break;
        case MediaFormat::Wav:
        case MediaFormat::Aiff:
            verdict = PlanRiffSave(request, plan);
            break;
        case MediaFormat::Mp4:
            verdict = PlanMp4Save(request, plan);
            break;
        case MediaFormat::Asf:
            verdict = PlanAsfSave(request, plan);
            break;
        default:
            verdict = PlanMp3Save(request, plan);
            break;
    }
    if (!verdict.Ok() || plan.Way != SaveWay::Undecided) return verdict;
    if (!ChooseSaveWay(source, source.Size(), plan, &error)) return SaveVerdict::ReadFailure(error);
    return verdict;
}
