#include "formats/id3v2/id3v2_frames.h"

#include <algorithm>
#include <vector>

#include "formats/id3v2/frame_ids.h"
#include "formats/id3v2/frame_size_choice.h"
#include "formats/id3v2/unsynchronisation.h"

namespace {

// A picture header (encoding, MIME type, type, description) is looked for in the first
// bytes of the frame, and in a larger window when it is longer; beyond that it is not read.
constexpr size_t kPictureHeaderStart = 1024;
constexpr size_t kPictureHeaderWindow = 64 * 1024;
// Frames walked in one tag at most, kept or not: a tag of tiny frames ends there.
constexpr int kMostFramesWalked = 65536;

// One frame as its header describes it.
struct FrameHeader {
    std::u16string Id;
    uint32_t Size = 0;      // bytes after the header, extra header bytes included
    size_t ExtraBytes = 0;  // group id, encryption method, data length before the body
    bool Skipped = false;   // compressed or encrypted: nothing of it can be read
    bool Unsynchronised = false;
    bool HasDataLength = false;
};

enum class FrameKind { Other, Text, Comment, Lyrics, Picture };

FrameKind KindOf(const std::u16string& id) {
    if (id == u"COMM") return FrameKind::Comment;
    if (id == u"APIC") return FrameKind::Picture;
    if (id == u"USLT") return FrameKind::Lyrics;
    if (id[0] == u'T') return FrameKind::Text;
    return FrameKind::Other;
}

// What lies at next of the stream's run, read raw without moving.
Landing LandingAt(TagStream& stream, uint64_t next) {
    if (next == stream.RawEnd()) return Landing::End;
    if (next > stream.RawEnd()) return Landing::Nowhere;
    uint8_t bytes[4] = {};
    const size_t count = static_cast<size_t>(std::min<uint64_t>(4, stream.RawEnd() - next));
    return stream.PeekRaw(next, bytes, count) ? LandingOf(bytes, count) : Landing::Nowhere;
}

// Whether the run holds nothing but zeros from next to its end.
bool IsPaddingToEnd(TagStream& stream, uint64_t next) {
    uint8_t chunk[4096];
    while (next < stream.RawEnd()) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(sizeof chunk, stream.RawEnd() - next));
        if (!stream.PeekRaw(next, chunk, count)) return false;
        for (size_t i = 0; i < count; ++i) {
            if (chunk[i] != 0) return false;
        }
        next += count;
    }
    return true;
}

uint32_t ChooseStreamFrameSize(TagStream& stream, const uint8_t* sizeBytes) {
    return ChooseFrameSize(
        sizeBytes, stream.RawOffset(), [&](uint64_t at) { return LandingAt(stream, at); },
        [&](uint64_t at) { return IsPaddingToEnd(stream, at); });
}

// Reads the header at the stream's position; false at padding, the end or a broken header.
bool ReadFrameHeader(TagStream& stream, const Id3v2Header& tag, FrameHeader& frame) {
    const int version = tag.Version;
    const size_t headerSize = version == 2 ? 6 : 10;
    uint8_t bytes[10];
    if (stream.Read(bytes, headerSize) < headerSize) return false;
    if (IsFrameId(bytes, version == 2 ? 3 : 4)) {
        frame.Id = FrameIdOf(bytes, version);
    } else if (const char16_t* renamed = version == 2 ? nullptr : PaddedOldFrameId(bytes)) {
        frame.Id = renamed;
    } else {
        return false;
    }
    if (version == 2) {
        frame.Size = ReadBigEndian(bytes + 3, 3);
        return true;
    }
    const uint8_t format = bytes[9];
    if (version == 3) {
        frame.Size = ReadBigEndian(bytes + 4, 4);
        frame.Skipped = (format & 0xC0) != 0;
        frame.ExtraBytes = (format & 0x20) ? 1 : 0;
        return true;
    }
    frame.Size = ChooseStreamFrameSize(stream, bytes + 4);
    frame.Skipped = (format & 0x0C) != 0;
    frame.Unsynchronised = (format & 0x02) != 0 || tag.Unsynchronised();
    frame.HasDataLength = (format & 0x01) != 0;
    frame.ExtraBytes = ((format & 0x40) ? 1 : 0) + (frame.HasDataLength ? 4 : 0);
    return true;
}

// The extended header is passed over: nothing in it changes what the frames say.  One that
// is flagged but missing leaves the frames where they are.
bool SkipExtendedHeader(TagStream& stream, int version) {
    const StreamMark start = stream.Mark();
    uint8_t sizeBytes[4];
    if (stream.Read(sizeBytes, 4) < 4) return false;
    if (IsMissingExtendedHeader(sizeBytes)) {
        stream.Seek(start);
        return true;
    }
    uint32_t size = 0;
    if (version == 3) {
        size = ReadBigEndian(sizeBytes, 4);
    } else {
        // 2.4 counts the size bytes in.
        if (!ReadSyncsafe(sizeBytes, &size) || size < 6) return false;
        size -= 4;
    }
    return stream.Skip(size) == size;
}

class FrameReader {
public:
    FrameReader(TagStream& stream, const Id3v2Header& tag, TagAssembly& assembly)
        : stream_(stream), tag_(tag), assembly_(assembly) {}

    // Reads what the assembly needs of the frame whose header was just read; returns the
    // bytes of the frame consumed.
    size_t Read(const FrameHeader& frame) {
        const FrameKind kind = KindOf(frame.Id);
        if (kind == FrameKind::Other || frame.Skipped || frame.Size < frame.ExtraBytes) return 0;
        if (kind == FrameKind::Picture && !assembly_.WantsPicture()) return 0;
        if (kind != FrameKind::Picture && frame.Size > TagAssembly::kLargestTextFrame) return 0;
        uint8_t extra[6] = {};
        if (stream_.Read(extra, frame.ExtraBytes) < frame.ExtraBytes) return frame.ExtraBytes;
        dataLength_ = 0;
        if (frame.HasDataLength && !ReadSyncsafe(extra + frame.ExtraBytes - 4, &dataLength_)) return frame.ExtraBytes;
        const size_t size = frame.Size - frame.ExtraBytes;
        if (kind == FrameKind::Picture) return frame.ExtraBytes + ReadPicture(frame, size);
        if (ReadBody(frame, size) == size) AddTextOrComment(frame, kind);
        return frame.Size;
    }

private:
    // Up to count bytes of the body into body_, with the frame's own unsynchronisation
    // undone and cut to its data length; returns the bytes read from the stream.
    size_t ReadBody(const FrameHeader& frame, size_t count) {
        body_.resize(count);
        const size_t read = stream_.Read(body_.data(), count);
        body_.resize(read);
        if (frame.Unsynchronised) {
            body_.resize(RemoveUnsynchronisation(body_.data(), body_.size()));
            if (frame.HasDataLength && dataLength_ < body_.size()) body_.resize(dataLength_);
        }
        return read;
    }

    void AddTextOrComment(const FrameHeader& frame, FrameKind kind) {
        if (kind == FrameKind::Text) {
            TextFrame text;
            if (ParseTextFrame(frame.Id, body_.data(), body_.size(), text)) assembly_.AddText(std::move(text), tag_.Version);
            return;
        }
        // Lyrics have the comment's form: encoding, language, description, text.
        CommentFrame comment;
        if (!ParseCommentFrame(body_.data(), body_.size(), comment)) return;
        if (kind == FrameKind::Lyrics) {
            assembly_.AddLyrics(std::move(comment));
        } else {
            assembly_.AddComment(std::move(comment));
        }
    }

    // Reads the picture's header and notes where its image lies; returns the bytes read.
    size_t ReadPicture(const FrameHeader& frame, size_t size) {
        const StreamMark start = stream_.Mark();
        size_t read = ReadBody(frame, std::min(size, kPictureHeaderStart));
        size_t headerLength = 0;
        PictureLocation picture;
        if (!ParsePictureHeader(tag_.Version, body_.data(), body_.size(), &headerLength, &picture.Type)) {
            // A long description: once more with the whole window.
            if (size <= kPictureHeaderStart) return read;
            stream_.Seek(start);
            read = ReadBody(frame, std::min(size, kPictureHeaderWindow));
            if (!ParsePictureHeader(tag_.Version, body_.data(), body_.size(), &headerLength, &picture.Type)) {
                return read;
            }
        }
        picture.RawStart = start.RawOffset;
        picture.AfterFF = start.AfterFF;
        picture.Skip = headerLength;
        if (tag_.Version < 4 && tag_.Unsynchronised()) {
            // The whole tag is unsynchronised: the frame's size counts its bytes as they
            // were before, so its raw end is only known by reading; the tag's end bounds it.
            picture.Unsynchronised = true;
            picture.RawEnd = stream_.RawEnd();
            picture.Size = size - headerLength;
        } else if (frame.Unsynchronised) {
            picture.Unsynchronised = true;
            picture.RawEnd = start.RawOffset + size;
            if (frame.HasDataLength) picture.Size = dataLength_ > headerLength ? dataLength_ - headerLength : 0;
        } else {
            picture.RawEnd = start.RawOffset + size;
            picture.Size = size - headerLength;
        }
        if (picture.Size > 0 && headerLength < size) assembly_.AddPicture(picture);
        return read;
    }

    TagStream& stream_;
    const Id3v2Header& tag_;
    TagAssembly& assembly_;
    std::vector<uint8_t> body_;
    uint32_t dataLength_ = 0;
};

}  // namespace

void ReadId3v2Frames(TagStream& stream, const Id3v2Header& header, TagAssembly& assembly) {
    if (header.HasExtendedHeader() && !SkipExtendedHeader(stream, header.Version)) return;
    FrameReader reader(stream, header, assembly);
    FrameHeader frame;
    for (int walked = 0; walked < kMostFramesWalked && !assembly.Full() && ReadFrameHeader(stream, header, frame);
         ++walked) {
        // A frame that runs past the end of the tag (or of the file) is not a frame.
        if (frame.Size > stream.RawEnd() - stream.RawOffset()) return;
        const size_t consumed = reader.Read(frame);
        if (stream.Skip(frame.Size - consumed) < frame.Size - consumed) return;
    }
}
