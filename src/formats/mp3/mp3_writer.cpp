#include "formats/mp3/mp3_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/id3v1/id3v1_update.h"
#include "formats/id3v2/frame_edits.h"
#include "formats/id3v2/stored_tag.h"
#include "formats/id3v2/tag_merge.h"
#include "formats/id3v2/tag_serialiser.h"
#include "formats/mp3/mp3_tag_layout.h"

namespace {

// Why a tag cannot be written again, for each parse that fails.
SaveVerdict RefusalOf(TagParse parse) {
    switch (parse) {
        case TagParse::Unwritable:
            return SaveVerdict::Refused(SaveRefusal::Unsupported, u"its ID3v2 tag is of a version this class does not write");
        case TagParse::LostHeader:
            return SaveVerdict::Refused(SaveRefusal::Damaged, u"its ID3v2 tag's extended header runs past the tag");
        default:
            return SaveVerdict::Refused(SaveRefusal::Damaged,
                                        u"its ID3v2 tag holds bytes that are not frames (saving would lose them)");
    }
}

// The frames that ask to go when the tag changes go before the tags are made one, so
// that none of them holds the place of another tag's frame.
void DropFramesForTagChange(StoredTag& tag) {
    tag.Frames.erase(std::remove_if(tag.Frames.begin(), tag.Frames.end(),
                                    [&](const StoredFrame& frame) { return DropsOnTagChange(frame, tag.Version); }),
                     tag.Frames.end());
}

// The one tag the edits are made on: the first leading tag (2.2 taken over as 2.3), then
// what the later ones and the appended one hold that it lacks; with no leading tag the
// appended one, else a new 2.3 tag.  Frames that cannot be carried into its version are
// left in beside (2.4 frames, kept in a tag appended at the end).
SaveVerdict GatherTags(const TagLayout& layout, StoredTag& tag, std::vector<StoredFrame>& beside) {
    tag = StoredTag();
    bool first = true;
    for (const LeadingTag& leading : layout.LeadingTags) {
        if (!leading.Readable) {
            if (first) return RefusalOf(TagParse::Unwritable);
            continue;
        }
        StoredTag later;
        const TagParse parse = ParseStoredTag(leading.Bytes.data(), leading.Bytes.size(), first ? tag : later);
        if (parse != TagParse::Parsed) return RefusalOf(parse);
        DropFramesForTagChange(first ? tag : later);
        if (!first) TakeLackingFrames(tag, std::move(later), beside);
        first = false;
    }
    if (!layout.AppendedTag.empty()) {
        StoredTag appended;
        const TagParse parse = ParseStoredTag(layout.AppendedTag.data(), layout.AppendedTag.size(), first ? tag : appended);
        if (parse != TagParse::Parsed) return RefusalOf(parse);
        DropFramesForTagChange(first ? tag : appended);
        if (!first) TakeLackingFrames(tag, std::move(appended), beside);
    }
    // A 2.4 tag that cannot take a 2.3 frame has no place to keep it: 2.3 is never appended.
    if (tag.Version == 4 && !beside.empty()) {
        return SaveVerdict::Refused(SaveRefusal::Unsupported,
                                    u"a compressed or encrypted frame of its second ID3v2 tag cannot be moved into the first");
    }
    return SaveVerdict::Planned();
}

// The tag appended at the end for the frames that the leading one cannot take: 2.4 with a
// footer, without padding; none when there are none.
std::vector<uint8_t> BesideTagBytes(std::vector<StoredFrame>&& frames) {
    StoredTag beside;
    beside.Version = 4;
    beside.Frames = std::move(frames);
    beside.Frames.erase(std::remove_if(beside.Frames.begin(), beside.Frames.end(),
                                       [](const StoredFrame& frame) { return DropsOnTagChange(frame, 4); }),
                        beside.Frames.end());
    std::vector<uint8_t> body;
    if (beside.Frames.empty() || !SerialiseFrames(beside, body) || body.size() > kLargestTagSize) return {};
    std::vector<uint8_t> tag = MakeTagBytes(4, body, 10 + body.size());
    tag[5] = 0x10;
    std::vector<uint8_t> footer(tag.begin(), tag.begin() + 10);
    footer[0] = '3', footer[1] = 'D', footer[2] = 'I';
    tag.insert(tag.end(), footer.begin(), footer.end());
    return tag;
}

// The new file with the tag in totalSize bytes: the tag, the leading tags of versions
// nobody reads, the kept run, the tag beside, the ID3v1 tag.
void AddPieces(const TagLayout& layout, int version, const std::vector<uint8_t>& frames, uint64_t totalSize,
               const std::vector<uint8_t>& beside, const std::vector<uint8_t>& id3v1, SavePlan& plan) {
    plan = SavePlan();
    plan.AddBytes(MakeTagBytes(version, frames, totalSize));
    for (const LeadingTag& leading : layout.LeadingTags) {
        if (!leading.Readable) plan.KeepRun(leading.Offset, leading.Offset + leading.Size);
    }
    plan.KeepRun(layout.LeadingEnd, layout.KeptEnd);
    plan.AddBytes(beside);
    plan.AddBytes(id3v1);
}

// The room the new tag may take in place: every leading tag where all are read, else the first.
uint64_t TagSpace(const TagLayout& layout) {
    const bool allRead = std::all_of(layout.LeadingTags.begin(), layout.LeadingTags.end(),
                                     [](const LeadingTag& tag) { return tag.Readable; });
    if (layout.LeadingTags.empty()) return 0;
    return allRead ? layout.LeadingEnd : layout.LeadingTags[0].Size;
}

}  // namespace

SaveVerdict PlanMp3Save(const SaveRequest& request, SavePlan& plan) {
    TagLayout layout;
    uint32_t error = 0;
    switch (ReadTagLayout(request.File, layout, &error)) {
        case LayoutRead::ReadFailed:
            return SaveVerdict::ReadFailure(error);
        case LayoutRead::Truncated:
            return SaveVerdict::Refused(SaveRefusal::Damaged, u"its ID3v2 tag runs past the end of the file");
        case LayoutRead::Read:
            break;
    }
    StoredTag tag;
    std::vector<StoredFrame> besideFrames;
    const SaveVerdict gathered = GatherTags(layout, tag, besideFrames);
    if (!gathered.Ok()) return gathered;
    const std::vector<uint8_t> beside = BesideTagBytes(std::move(besideFrames));
    ApplyEdits(request.Edits, tag);
    std::vector<uint8_t> frames;
    if (!SerialiseFrames(tag, frames) || frames.size() > kLargestTagSize) {
        return SaveVerdict::Refused(SaveRefusal::TooLarge, u"the tag would be larger than ID3v2 allows (256 MB)");
    }
    std::vector<uint8_t> id3v1;
    if (layout.HasId3v1) {
        id3v1.assign(layout.Id3v1, layout.Id3v1 + 128);
        UpdateId3v1(request.Edits, request.Encoder, id3v1.data());
    }
    // The new tag in the old one's space where it fits: the file keeps its size, and where
    // what changes lies within one page it is written in place.
    const uint64_t space = TagSpace(layout);
    if (space >= 10 + frames.size() && space - 10 - frames.size() <= kMostKeptPadding &&
        space - 10 <= kLargestTagSize) {
        AddPieces(layout, tag.Version, frames, space, beside, id3v1, plan);
        if (!ChooseSaveWay(request.File, layout.FileSize, plan, &error)) return SaveVerdict::ReadFailure(error);
        if (plan.Way != SaveWay::NewFile) return SaveVerdict::Planned();
    }
    // Written anew, the padding follows from what the tag stands before, not from the old
    // tag: the same edits give the same file whatever tag was there.
    const uint64_t audio = layout.KeptEnd - layout.LeadingEnd;
    const uint64_t padding = std::min(PaddingFor(audio), kLargestTagSize - frames.size());
    AddPieces(layout, tag.Version, frames, 10 + frames.size() + padding, beside, id3v1, plan);
    plan.Way = SaveWay::NewFile;
    return SaveVerdict::Planned();
}
