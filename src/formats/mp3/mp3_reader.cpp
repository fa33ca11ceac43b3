#include "formats/mp3/mp3_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/mpeg/audio_properties.h"
#include "formats/file_region.h"
#include "formats/id3v1/id3v1_tag.h"
#include "formats/id3v2/id3v2_frames.h"
#include "formats/id3v2/id3v2_header.h"
#include "formats/little_endian.h"
#include "formats/id3v2/tag_assembly.h"
#include "formats/id3v2/tag_stream.h"
#include "formats/mp3/mp3_tag_layout.h"
#include "formats/text_fields.h"

namespace {

// A tag up to this size is read whole; a larger one (a large picture) frame by frame.
constexpr uint64_t kWholeTagLimit = 64 * 1024;
// The audio read with the tag: enough for the first frame and the next header.
constexpr size_t kFirstAudioRead = 4 * 1024;
// The ID3v1 tag and the longest footer before it (an APE tag's).
constexpr size_t kTailSize = 128 + 32;
// An APE tag's footer (and header); a Lyrics3 v2 block's size and end marker; the farthest
// a Lyrics3 v1 block's start lies before its end marker.
constexpr size_t kApeFooterSize = 32;
constexpr size_t kLyrics3v2FooterSize = 15;
constexpr size_t kLyrics3v1Longest = 5100 + 11 + 9;
// Blocks between the audio and the tags at the end, passed over at most.
constexpr int kMostTrailingBlocks = 4;

class MediaFileReader {
public:
    MediaFileReader(MediaSource& file, MediaTags& tags) : file_(file), tags_(tags), assembly_(tags) {}

    // head: the file's first bytes, already read.
    bool Read(FileRegion head, uint32_t* error) {
        if (!file_.GetSize(&size_, error)) return false;
        audioEnd_ = size_;
        head_ = std::move(head);
        if (!ReadLeadingTags(error) || !ReadTrailingTags(error) || !PassTrailingBlocks(error)) {
            return false;
        }
        assembly_.Finish();
        tags_.Picture.FileSize = size_;
        FillFromId3v1();
        if (!ReadAudio(error)) return false;
        tags_.TagTypes = tagTypes_;
        if (leadingEnd_ > 0 || !tagTypes_.empty() || tags_.SampleRate != 0) tags_.Format = u"MP3";
        return true;
    }

private:
    // Every tag at the start, back to back (one media player writes a second in front of
    // the first): the first tag's frames win, later ones fill what it lacks.
    bool ReadLeadingTags(uint32_t* error) {
        for (int count = 0; count < kMostLeadingTags && leadingEnd_ + 10 <= size_; ++count) {
            FileRegion own;
            FileRegion* region = &head_;
            if (!head_.Covers(leadingEnd_, leadingEnd_ + 10)) {
                if (!ReadRegion(file_, leadingEnd_, 10, own, error)) return false;
                region = &own;
            }
            Id3v2Header header;
            if (!region->Covers(leadingEnd_, leadingEnd_ + 10) || !ParseId3v2Header(region->At(leadingEnd_), header)) {
                return true;
            }
            const uint64_t start = leadingEnd_;
            // A tag of an unknown version is not read, but what follows it still is.
            leadingEnd_ = std::min(size_, start + header.TotalSize());
            if (!header.Readable()) continue;
            AddTagType(header.Version);
            // A small tag is read whole, with the first audio after it.
            const uint64_t end = std::min(leadingEnd_ + kFirstAudioRead, size_);
            if (leadingEnd_ - region->Offset <= kWholeTagLimit && !ExtendRegion(file_, *region, end, error)) return false;
            if (!ReadTag(header, start, *region, error)) return false;
        }
        return true;
    }

    // The ID3v1 tag in the last 128 bytes, and an ID3v2.4 tag appended before it (or at
    // the very end) that its footer announces.
    bool ReadTrailingTags(uint32_t* error) {
        const uint64_t tailStart = size_ - std::min<uint64_t>(size_, kTailSize);
        const FileRegion* tail = &head_;
        if (!head_.Covers(tailStart, size_)) {
            if (!ReadRegion(file_, tailStart, static_cast<size_t>(size_ - tailStart), tail_, error)) return false;
            tail = &tail_;
        }
        if (size_ >= leadingEnd_ + 128 && tail->Covers(size_ - 128, size_) &&
            std::memcmp(tail->At(size_ - 128), "TAG", 3) == 0) {
            // Parsed once the ID3v2 tags have said which fields they lack.
            std::memcpy(id3v1Bytes_, tail->At(size_ - 128), sizeof id3v1Bytes_);
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
        AddTagType(4);
        return ReadTag(header, start, tag, error);
    }

    // APE tags and Lyrics3 blocks that players and taggers put between the audio and the
    // tags at the end: not audio, so the playing time leaves them out.
    bool PassTrailingBlocks(uint32_t* error) {
        for (int count = 0; count < kMostTrailingBlocks; ++count) {
            uint64_t start = 0;
            if (!FindApeTag(&start, error) && !FindLyrics3Block(&start, error)) return *error == 0;
            audioEnd_ = start;
        }
        return true;
    }

    // The bytes [audioEnd_ - count, audioEnd_), read anew into tail_ unless it or the head
    // holds them; null where the audio is shorter.
    const uint8_t* BytesBeforeAudioEnd(size_t count, uint32_t* error) {
        if (audioEnd_ < leadingEnd_ + count) return nullptr;
        if (head_.Covers(audioEnd_ - count, audioEnd_)) return head_.At(audioEnd_ - count);
        if (!tail_.Covers(audioEnd_ - count, audioEnd_)) {
            if (!ReadRegion(file_, audioEnd_ - count, count, tail_, error) || tail_.Bytes.size() < count) return nullptr;
        }
        return tail_.At(audioEnd_ - count);
    }

    // An APE tag (footer "APETAGEX", with or without a header) that ends at audioEnd_.
    bool FindApeTag(uint64_t* start, uint32_t* error) {
        const uint8_t* footer = BytesBeforeAudioEnd(kApeFooterSize, error);
        if (footer == nullptr || std::memcmp(footer, "APETAGEX", 8) != 0) return false;
        const uint64_t size = ReadLittleEndian(footer + 12, 4);
        const uint64_t whole = size + ((footer[23] & 0x80) ? kApeFooterSize : 0);
        if (size < kApeFooterSize || whole > audioEnd_ - leadingEnd_) return false;
        *start = audioEnd_ - whole;
        return true;
    }

    // A Lyrics3 block ("LYRICSBEGIN" ... "LYRICS200" after a six-digit size, or "LYRICSEND"
    // within 5100 bytes of its start) that ends at audioEnd_.
    bool FindLyrics3Block(uint64_t* start, uint32_t* error) {
        const uint8_t* footer = BytesBeforeAudioEnd(kLyrics3v2FooterSize, error);
        if (footer == nullptr) return false;
        if (std::memcmp(footer + 6, "LYRICS200", 9) == 0) {
            uint64_t size = 0;
            for (int i = 0; i < 6; ++i) {
                if (footer[i] < '0' || footer[i] > '9') return false;
                size = size * 10 + (footer[i] - '0');
            }
            if (size + kLyrics3v2FooterSize > audioEnd_ - leadingEnd_) return false;
            const uint64_t begin = audioEnd_ - kLyrics3v2FooterSize - size;
            uint8_t marker[11];
            size_t read = 0;
            if (!file_.ReadAt(begin, marker, sizeof marker, &read, error) || read != sizeof marker ||
                std::memcmp(marker, "LYRICSBEGIN", 11) != 0) {
                return false;
            }
            *start = begin;
            return true;
        }
        if (std::memcmp(footer + 6, "LYRICSEND", 9) != 0) return false;
        const size_t window = static_cast<size_t>(std::min<uint64_t>(kLyrics3v1Longest, audioEnd_ - leadingEnd_));
        const uint8_t* block = BytesBeforeAudioEnd(window, error);
        for (size_t at = window - 9; block != nullptr && at >= 11; --at) {
            if (std::memcmp(block + at - 11, "LYRICSBEGIN", 11) == 0) {
                *start = audioEnd_ - window + at - 11;
                return true;
            }
        }
        return false;
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
        const std::pair<std::u16string*, unsigned> wanted[] = {{&tags_.Title, kId3v1Title},
                                                               {&tags_.Artist, kId3v1Artist},
                                                               {&tags_.Album, kId3v1Album},
                                                               {&tags_.Comment, kId3v1Comment},
                                                               {&tags_.Genre, kId3v1Genre}};
        unsigned lacking = 0;
        for (const auto& field : wanted) lacking |= field.first->empty() ? field.second : 0;
        ParseId3v1Tag(id3v1Bytes_, file_, id3v1_, lacking);
        const std::pair<std::u16string*, std::u16string*> texts[] = {{&tags_.Title, &id3v1_.Title},
                                                                 {&tags_.Artist, &id3v1_.Artist},
                                                                 {&tags_.Album, &id3v1_.Album},
                                                                 {&tags_.Comment, &id3v1_.Comment},
                                                                 {&tags_.Genre, &id3v1_.Genre}};
        for (const auto& text : texts) {
            if (text.first->empty()) *text.first = std::move(*text.second);
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

    // 2, 3, 4 for ID3v2, 1 and 11 for ID3v1 and ID3v1.1; each named once.
    void AddTagType(int version) {
        const std::u16string name = version == 1    ? u"ID3v1"
                                    : version == 11 ? u"ID3v1.1"
                                                    : u"ID3v2." + std::u16string(1, static_cast<char16_t>(u'0' + version));
        if ((u" " + tagTypes_ + u" ").find(u" " + name + u" ") == std::u16string::npos) ::AddTagType(tagTypes_, name);
    }

    MediaSource& file_;
    MediaTags& tags_;
    TagAssembly assembly_;
    uint64_t size_ = 0;
    FileRegion head_;
    FileRegion tail_;
    uint64_t leadingEnd_ = 0;
    uint64_t audioEnd_ = 0;
    uint8_t id3v1Bytes_[128] = {};
    Id3v1Tag id3v1_;
    bool hasId3v1_ = false;
    std::u16string tagTypes_;
};

}  // namespace

bool ReadMp3File(PrefetchedSource& file, MediaTags& out, uint32_t* error) {
    out.Clear();
    *error = 0;
    MediaFileReader reader(file, out);
    if (reader.Read(file.TakeHead(), error)) return true;
    out.Clear();
    return false;
}
