#include "formats/media_file_reader.h"

#include <algorithm>
#include <vector>

#include "formats/audio_properties.h"
#include "formats/file_region.h"
#include "formats/id3v1_tag.h"
#include "formats/id3v2_frames.h"
#include "formats/id3v2_header.h"
#include "formats/tag_assembly.h"
#include "formats/tag_stream.h"

namespace {

// The first read takes the start of the file: for most files the tag header, the whole
// tag and the first frames; for small files everything.
constexpr size_t kFirstRead = 16 * 1024;
// A tag up to this size is read whole; a larger one (a large picture) frame by frame.
constexpr uint64_t kWholeTagLimit = 256 * 1024;
// The audio read with the tag: enough for the first frame and the next header.
constexpr size_t kFirstAudioRead = 4 * 1024;
// The ID3v1 tag and a footer before it.
constexpr size_t kTailSize = 128 + 10;
constexpr size_t kCopyChunk = 64 * 1024;

class MediaFileReader {
public:
    MediaFileReader(MediaSource& file, MediaTags& tags) : file_(file), tags_(tags), assembly_(tags) {}

    bool Read(uint32_t* error) {
        if (!file_.GetSize(&size_, error)) return false;
        audioEnd_ = size_;
        if (!ReadRegion(file_, 0, static_cast<size_t>(std::min<uint64_t>(size_, kFirstRead)), head_, error) ||
            !ReadLeadingTag(error) || !ReadTrailingTags(error)) {
            return false;
        }
        assembly_.Finish();
        tags_.Picture.FileSize = size_;
        FillFromId3v1();
        if (!ReadAudio(error)) return false;
        tags_.TagTypes = tagTypes_;
        return true;
    }

private:
    bool ReadLeadingTag(uint32_t* error) {
        Id3v2Header header;
        if (head_.Bytes.size() < 10 || !ParseId3v2Header(head_.Bytes.data(), header)) return true;
        // A tag of an unknown version is not read, but its audio still follows it.
        leadingEnd_ = std::min(size_, header.TotalSize());
        if (!header.Readable()) return true;
        AddTagType(header.Version);
        const uint64_t end = std::min(leadingEnd_ + kFirstAudioRead, size_);
        if (leadingEnd_ <= kWholeTagLimit && !ExtendRegion(file_, head_, end, error)) return false;
        return ReadTag(header, 0, head_, error);
    }

    // The ID3v1 tag in the last 128 bytes, and an ID3v2.4 tag appended before it (or at
    // the very end) that its footer announces.
    bool ReadTrailingTags(uint32_t* error) {
        const uint64_t tailStart = size_ - std::min<uint64_t>(size_, kTailSize);
        FileRegion own;
        const FileRegion* tail = &head_;
        if (!head_.Covers(tailStart, size_)) {
            if (!ReadRegion(file_, tailStart, static_cast<size_t>(size_ - tailStart), own, error)) return false;
            tail = &own;
        }
        if (size_ >= leadingEnd_ + 128 && tail->Covers(size_ - 128, size_) &&
            ParseId3v1Tag(tail->At(size_ - 128), file_, id3v1_)) {
            hasId3v1_ = true;
            audioEnd_ = size_ - 128;
        }
        Id3v2Header footer;
        if (audioEnd_ < leadingEnd_ + 10 || !tail->Covers(audioEnd_ - 10, audioEnd_) ||
            !ParseId3v2Footer(tail->At(audioEnd_ - 10), footer) || footer.TotalSize() > audioEnd_ - leadingEnd_) {
            return true;
        }
        return ReadAppendedTag(audioEnd_ - footer.TotalSize(), footer, error);
    }

    bool ReadAppendedTag(uint64_t start, const Id3v2Header& footer, uint32_t* error) {
        const size_t read = footer.TotalSize() <= kWholeTagLimit ? static_cast<size_t>(footer.TotalSize()) : 10;
        FileRegion tag;
        if (!ReadRegion(file_, start, read, tag, error)) return false;
        Id3v2Header header;
        if (tag.Bytes.size() < 10 || !ParseId3v2Header(tag.Bytes.data(), header) || header.Version != 4 ||
            header.Size != footer.Size || !header.HasFooter()) {
            return true;
        }
        audioEnd_ = start;
        if (tagTypes_ != u"ID3v2.4") AddTagType(4);
        return ReadTag(header, start, tag, error);
    }

    // The frames of the tag whose header is at start; bytes that region holds are not read again.
    bool ReadTag(const Id3v2Header& header, uint64_t start, const FileRegion& region, uint32_t* error) {
        const uint64_t end = std::min(start + 10 + header.Size, size_);
        // 2.4 unsynchronises frame by frame, the versions before it the tag as a whole.
        TagStream stream(file_, start + 10, end, header.Unsynchronised() && header.Version < 4, &region);
        ReadId3v2Frames(stream, header, assembly_);
        if (stream.Failed()) {
            *error = stream.Error();
            return false;
        }
        return true;
    }

    // Where the ID3v2 tags lack a field, the ID3v1 tag gives it.
    void FillFromId3v1() {
        if (!hasId3v1_) return;
        const std::pair<std::u16string*, std::u16string*> texts[] = {{&tags_.Title, &id3v1_.Title},
                                                                 {&tags_.Artist, &id3v1_.Artist},
                                                                 {&tags_.Album, &id3v1_.Album},
                                                                 {&tags_.Comment, &id3v1_.Comment},
                                                                 {&tags_.Genre, &id3v1_.Genre}};
        for (const auto& text : texts) {
            if (text.first->empty()) *text.first = *text.second;
        }
        if (tags_.Year == 0) tags_.Year = id3v1_.Year;
        if (tags_.Track == 0) tags_.Track = id3v1_.Track;
        AddTagType(id3v1_.HasTrack ? 11 : 1);
    }

    // The first frame after the leading tag: looked for in the bytes at hand, and only
    // when they do not settle it in a window read for it.
    bool ReadAudio(uint32_t* error) {
        if (leadingEnd_ >= audioEnd_) return true;
        const uint64_t length = audioEnd_ - leadingEnd_;
        const uint64_t needed = std::min<uint64_t>(length, kFrameSearchBytes);
        const size_t first = static_cast<size_t>(std::min<uint64_t>(length, kFirstAudioRead));
        FileRegion own;
        const FileRegion* region = &head_;
        if (!head_.Covers(leadingEnd_, leadingEnd_ + first)) {
            if (!ReadRegion(file_, leadingEnd_, first, own, error)) return false;
            region = &own;
        }
        MpegFrame frame;
        size_t position = 0;
        FrameSearch found = Search(*region, length, region->End() >= leadingEnd_ + needed, frame, &position);
        if (found == FrameSearch::NeedMore) {
            if (!ReadRegion(file_, leadingEnd_, static_cast<size_t>(needed), own, error)) return false;
            region = &own;
            found = Search(own, length, true, frame, &position);
        }
        if (found != FrameSearch::Found) return true;
        const uint64_t at = leadingEnd_ + position;
        SetAudioProperties(region->At(at), frame, audioEnd_ - at, tags_);
        return true;
    }

    // final: the region holds all the search may need, or all that the file has of it.
    FrameSearch Search(const FileRegion& region, uint64_t length, bool final, MpegFrame& frame,
                       size_t* position) const {
        const uint64_t available = std::max(std::min(region.End(), audioEnd_), leadingEnd_) - leadingEnd_;
        return FindFirstFrame(region.At(leadingEnd_), static_cast<size_t>(available), length, final, frame,
                              position);
    }

    // 2, 3, 4 for ID3v2, 1 and 11 for ID3v1 and ID3v1.1.
    void AddTagType(int version) {
        if (!tagTypes_.empty()) tagTypes_ += u' ';
        tagTypes_ += version == 1 ? u"ID3v1" : version == 11 ? u"ID3v1.1" : u"ID3v2." + std::u16string(1, static_cast<char16_t>(u'0' + version));
    }

    MediaSource& file_;
    MediaTags& tags_;
    TagAssembly assembly_;
    uint64_t size_ = 0;
    FileRegion head_;
    uint64_t leadingEnd_ = 0;
    uint64_t audioEnd_ = 0;
    Id3v1Tag id3v1_;
    bool hasId3v1_ = false;
    std::u16string tagTypes_;
};

}  // namespace

bool ReadMp3File(MediaSource& file, MediaTags& out, uint32_t* error) {
    out.Clear();
    *error = 0;
    MediaFileReader reader(file, out);
    if (reader.Read(error)) return true;
    out.Clear();
    return false;
}

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
