#include "formats/ogg/ogg_writer.h"

#include <cstring>
#include <memory>
#include <vector>

#include "formats/little_endian.h"
#include "formats/ogg/ogg_header_packets.h"
#include "formats/ogg/ogg_page_layout.h"
#include "formats/ogg/ogg_renumbering.h"
#include "formats/vorbis_comments/vorbis_comment_writer.h"

namespace {

using Packet = std::vector<uint8_t>;

// The padding a rewritten Opus comment header is given, so that the next edit of a few
// fields keeps its size (opusenc leaves as much); padding left over beyond the most kept
// is given up for it.
constexpr size_t kOpusPadding = 512;
constexpr size_t kMostKeptOpusPadding = 64 * 1024;

// How many bytes the comment list at bytes takes (vendor string, count, fields); false
// where it runs past size.
bool CommentListSize(const uint8_t* bytes, size_t size, size_t* listSize) {
    size_t at = 0;
    const auto field = [&](uint64_t* length) {
        if (size - at < 4) return false;
        *length = ReadLittleEndian(bytes + at, 4);
        at += 4;
        return true;
    };
    uint64_t vendor = 0, count = 0, length = 0;
    if (!field(&vendor) || vendor > size - at) return false;
    at += static_cast<size_t>(vendor);
    if (!field(&count)) return false;
    for (uint64_t i = 0; i < count; ++i) {
        if (!field(&length) || length > size - at) return false;
        at += static_cast<size_t>(length);
    }
    *listSize = at;
    return true;
}

struct CommentPacket {
    size_t Magic = 0;      // "\x03vorbis" or "OpusTags"
    size_t ListSize = 0;   // the comment list after it
    Packet Edited;         // the new list
};

SaveVerdict EditList(const Packet& packet, const char* magic, const TagEdits& edits, CommentPacket& comment) {
    comment.Magic = std::strlen(magic);
    if (packet.size() < comment.Magic || std::memcmp(packet.data(), magic, comment.Magic) != 0) {
        return SaveVerdict::Refused(SaveRefusal::Damaged, u"its comment header is not where its codec keeps it");
    }
    if (!CommentListSize(packet.data() + comment.Magic, packet.size() - comment.Magic, &comment.ListSize)) {
        return SaveVerdict::Refused(SaveRefusal::Damaged, u"its comment header is damaged");
    }
    for (const auto& text : edits.Texts) {
        if (!IsVorbisFieldName(text.first)) {
            return SaveVerdict::Refused(SaveRefusal::Unsupported, u"a key is no name a Vorbis comment can have");
        }
    }
    if (!EditVorbisComments(packet.data() + comment.Magic, comment.ListSize, edits, true, comment.Edited)) {
        return SaveVerdict::Refused(SaveRefusal::TooLarge, u"the comments would be larger than Vorbis comments count");
    }
    return SaveVerdict::Planned();
}

Packet Joined(const char* magic, size_t magicSize, const Packet& list, const uint8_t* tail, size_t tailSize) {
    Packet packet(magic, magic + magicSize);
    packet.insert(packet.end(), list.begin(), list.end());
    packet.insert(packet.end(), tail, tail + tailSize);
    return packet;
}

// Vorbis: the framing bit and whatever follows it kept; a framing bit that is missing or
// clear is set, as every decoder requires it.
Packet VorbisCommentPacket(const Packet& old, const CommentPacket& comment) {
    const size_t tailAt = comment.Magic + comment.ListSize;
    Packet tail(old.begin() + static_cast<std::ptrdiff_t>(tailAt), old.end());
    if (tail.empty()) tail.push_back(0);
    tail[0] |= 1;
    return Joined("\x03vorbis", comment.Magic, comment.Edited, tail.data(), tail.size());
}

// Opus: data after the list whose first byte has its lowest bit set is kept as it is; any
// other is padding, given to the list so that the packet keeps its size where it can.
Packet OpusCommentPacket(const Packet& old, const CommentPacket& comment) {
    const size_t tailAt = comment.Magic + comment.ListSize;
    const size_t tailSize = old.size() - tailAt;
    if (tailSize > 0 && (old[tailAt] & 1) != 0) {
        return Joined("OpusTags", comment.Magic, comment.Edited, old.data() + tailAt, tailSize);
    }
    if (comment.Edited.size() == comment.ListSize) {
        return Joined("OpusTags", comment.Magic, comment.Edited, old.data() + tailAt, tailSize);
    }
    const size_t room = comment.ListSize + tailSize;
    const bool fits = comment.Edited.size() <= room && room - comment.Edited.size() <= kMostKeptOpusPadding;
    const Packet padding(fits ? room - comment.Edited.size() : kOpusPadding, 0);
    return Joined("OpusTags", comment.Magic, comment.Edited, padding.data(), padding.size());
}

// The header packets after the first with the comment packet edited.
SaveVerdict EditedPackets(const OggHeaderPackets& headers, const TagEdits& edits, std::vector<Packet>& packets) {
    const bool vorbis = headers.Codec == OggCodec::Vorbis;
    const Packet& old = headers.Packets[0];
    if (vorbis && (headers.Packets[1].size() < 7 || std::memcmp(headers.Packets[1].data(), "\x05vorbis", 7) != 0)) {
        return SaveVerdict::Refused(SaveRefusal::Damaged, u"its setup header is not where Vorbis keeps it");
    }
    CommentPacket comment;
    const SaveVerdict verdict = EditList(old, vorbis ? "\x03vorbis" : "OpusTags", edits, comment);
    if (!verdict.Ok()) return verdict;
    packets = headers.Packets;
    packets[0] = vorbis ? VorbisCommentPacket(old, comment) : OpusCommentPacket(old, comment);
    return verdict;
}

// The file after the old header pages: as it is where the stream keeps its page numbers,
// else renumbered by shift on the way, once its pages are known to be walkable.
SaveVerdict KeepTheRest(MediaSource& file, uint64_t start, uint64_t end, uint32_t serial, uint32_t shift,
                        SavePlan& plan) {
    if (shift == 0) {
        plan.KeepRun(start, end);
        return SaveVerdict::Planned();
    }
    uint32_t error = 0;
    switch (CheckPageChain(file, start, end, &error)) {
        case PageChain::ReadFailed:
            return SaveVerdict::ReadFailure(error);
        case PageChain::Broken:
            return SaveVerdict::Refused(SaveRefusal::Damaged,
                                        u"its pages after the headers cannot be walked to its end");
        case PageChain::Whole:
            break;
    }
    plan.KeepRun(start, end, std::make_shared<OggRenumbering>(serial, shift));
    return SaveVerdict::Planned();
}

}  // namespace

SaveVerdict PlanOggSave(const SaveRequest& request, SavePlan& plan) {
    plan = SavePlan();
    OggHeaderPackets headers;
    std::vector<Packet> packets;
    SaveVerdict verdict = ReadOggHeaderPackets(request.File, headers);
    if (verdict.Ok()) verdict = EditedPackets(headers, request.Edits, packets);
    if (!verdict.Ok()) return verdict;
    const OggHeaderPage& first = headers.Pages.front();
    const OggHeaderPage& last = headers.Pages.back();
    std::vector<OggPageShape> shapes;
    for (const OggHeaderPage& page : headers.Pages) shapes.push_back(page.Shape);
    const OggPageStamp stamp{headers.Serial, first.Sequence, (last.Flags & 4) != 0};
    uint32_t pageCount = 0;
    // The new header pages stand where the first of the old ones stood; other streams' pages
    // among the old ones follow them in their order.
    plan.KeepRun(0, first.Offset);
    plan.AddBytes(LayOutOggPages(packets, stamp, shapes, &pageCount));
    for (size_t i = 1; i < headers.Pages.size(); ++i) plan.KeepRun(headers.Pages[i - 1].End, headers.Pages[i].Offset);
    // A stream that ends on its headers has no pages after them to renumber.
    const uint32_t shift = stamp.EndsStream ? 0 : pageCount - static_cast<uint32_t>(headers.Pages.size());
    verdict = KeepTheRest(request.File, last.End, request.File.Size(), headers.Serial, shift, plan);
    if (!verdict.Ok()) plan = SavePlan();
    return verdict;
}
