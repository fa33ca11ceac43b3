#include "formats/mp3/mp3_tag_layout.h"

#include <cstring>

#include "formats/id3v2/id3v2_header.h"

namespace {

bool ReadExactly(MediaSource& file, uint64_t offset, size_t size, std::vector<uint8_t>& out, uint32_t* error) {
    out.resize(size);
    size_t read = 0;
    const bool ok = size == 0 || file.ReadAt(offset, out.data(), size, &read, error);
    out.resize(read);
    return ok;
}

// An ID3v2.4 tag that ends at end, announced by its footer, as the reader accepts one.
LayoutRead ReadAppendedTag(MediaSource& file, uint64_t leadingEnd, TagLayout& layout, uint32_t* error) {
    const uint64_t end = layout.KeptEnd;
    std::vector<uint8_t> footerBytes;
    if (end < leadingEnd + 10) return LayoutRead::Read;
    if (!ReadExactly(file, end - 10, 10, footerBytes, error)) return LayoutRead::ReadFailed;
    Id3v2Header footer;
    if (footerBytes.size() < 10 || !ParseId3v2Footer(footerBytes.data(), footer) ||
        footer.TotalSize() > end - leadingEnd) {
        return LayoutRead::Read;
    }
    std::vector<uint8_t> tag;
    if (!ReadExactly(file, end - footer.TotalSize(), static_cast<size_t>(footer.TotalSize()), tag, error)) {
        return LayoutRead::ReadFailed;
    }
    Id3v2Header header;
    if (tag.size() != footer.TotalSize() || !ParseId3v2Header(tag.data(), header) || header.Version != 4 ||
        header.Size != footer.Size || !header.HasFooter()) {
        return LayoutRead::Read;
    }
    layout.KeptEnd = end - footer.TotalSize();
    layout.AppendedTag.swap(tag);
    return LayoutRead::Read;
}

}  // namespace

LayoutRead ReadTagLayout(MediaSource& file, TagLayout& layout, uint32_t* error) {
    layout = TagLayout();
    *error = 0;
    if (!file.GetSize(&layout.FileSize, error)) return LayoutRead::ReadFailed;
    const uint64_t size = layout.FileSize;
    std::vector<uint8_t> head;
    for (int count = 0; count < kMostLeadingTags && layout.LeadingEnd + 10 <= size; ++count) {
        if (!ReadExactly(file, layout.LeadingEnd, 10, head, error)) return LayoutRead::ReadFailed;
        Id3v2Header header;
        if (head.size() != 10 || !ParseId3v2Header(head.data(), header)) break;
        if (header.TotalSize() > size - layout.LeadingEnd) return LayoutRead::Truncated;
        LeadingTag tag;
        tag.Offset = layout.LeadingEnd;
        tag.Size = header.TotalSize();
        tag.Readable = header.Readable();
        if (tag.Readable && !ReadExactly(file, tag.Offset, static_cast<size_t>(tag.Size), tag.Bytes, error)) {
            return LayoutRead::ReadFailed;
        }
        if (tag.Readable && tag.Bytes.size() != tag.Size) return LayoutRead::Truncated;
        layout.LeadingEnd += tag.Size;
        layout.LeadingTags.push_back(std::move(tag));
    }
    const uint64_t leadingEnd = layout.LeadingEnd;
    layout.KeptEnd = size;
    if (size >= leadingEnd + 128) {
        std::vector<uint8_t> tail;
        if (!ReadExactly(file, size - 128, 128, tail, error)) return LayoutRead::ReadFailed;
        if (tail.size() == 128 && std::memcmp(tail.data(), "TAG", 3) == 0) {
            layout.HasId3v1 = true;
            std::memcpy(layout.Id3v1, tail.data(), 128);
            layout.KeptEnd = size - 128;
        }
    }
    return ReadAppendedTag(file, leadingEnd, layout, error);
}
