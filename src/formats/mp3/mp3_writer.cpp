#include "formats/mp3/mp3_writer.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "formats/id3v1/id3v1_update.h"
#include "formats/id3v2/frame_edits.h"
#include "formats/id3v2/stored_tag.h"
#include "formats/id3v2/tag_serialiser.h"
#include "formats/mp3/mp3_tag_layout.h"

namespace {

// The appended tag gives up its place to the leading one: frames of the kinds the leading
// tag lacks move there, as the reader would have shown them.  A 2.3 tag takes only text
// frames whose encoding 2.3 knows.
void TakeOverAppended(StoredTag& leading, StoredTag&& appended) {
    std::set<std::string> held;
    for (const StoredFrame& frame : leading.Frames) held.insert(frame.Id);
    for (StoredFrame& frame : appended.Frames) {
        if (held.count(frame.Id) != 0) continue;
        if (leading.Version != appended.Version) {
            if (frame.Id[0] != 'T' || IsOpaque(frame, 4) || DataOffset(frame, 4) != 0 || frame.Body.empty() ||
                frame.Body[0] > 1) {
                continue;
            }
            frame.Status = frame.Format = 0;
        }
        leading.Frames.push_back(std::move(frame));
    }
}

// The tag that the edits are made on: the leading one (2.2 taken over as 2.3), else the
// appended one, else a new 2.3 tag.
bool StartTag(const TagLayout& layout, StoredTag& tag) {
    tag = StoredTag();
    if (!layout.LeadingTag.empty() &&
        ParseStoredTag(layout.LeadingTag.data(), layout.LeadingTag.size(), tag) != TagParse::Parsed) {
        return false;
    }
    if (layout.AppendedTag.empty()) return true;
    StoredTag appended;
    if (ParseStoredTag(layout.AppendedTag.data(), layout.AppendedTag.size(), appended) != TagParse::Parsed) return true;
    if (layout.LeadingTag.empty()) {
        tag = std::move(appended);
    } else {
        TakeOverAppended(tag, std::move(appended));
    }
    return true;
}

// The new file with the tag in totalSize bytes: the tag, the kept run, the ID3v1 tag.
void AddPieces(const TagLayout& layout, int version, const std::vector<uint8_t>& frames, uint64_t totalSize,
               const std::vector<uint8_t>& id3v1, SavePlan& plan) {
    plan = SavePlan();
    plan.AddBytes(MakeTagBytes(version, frames, totalSize));
    plan.KeepRun(layout.LeadingTag.size(), layout.KeptEnd);
    plan.AddBytes(id3v1);
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
    if (!StartTag(layout, tag)) {
        return SaveVerdict::Refused(SaveRefusal::Unsupported, u"its ID3v2 tag is of a version this class does not write");
    }
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
    const uint64_t space = layout.LeadingTag.size();
    if (space >= 10 + frames.size() && space - 10 - frames.size() <= kMostKeptPadding &&
        space - 10 <= kLargestTagSize) {
        AddPieces(layout, tag.Version, frames, space, id3v1, plan);
        if (!ChooseSaveWay(request.File, layout.FileSize, plan, &error)) return SaveVerdict::ReadFailure(error);
        if (plan.Way != SaveWay::NewFile) return SaveVerdict::Planned();
    }
    // Written anew, the padding follows from what the tag stands before, not from the old
    // tag: the same edits give the same file whatever tag was there.
    const uint64_t audio = layout.KeptEnd - layout.LeadingTag.size();
    const uint64_t padding = std::min(PaddingFor(audio), kLargestTagSize - frames.size());
    AddPieces(layout, tag.Version, frames, 10 + frames.size() + padding, id3v1, plan);
    plan.Way = SaveWay::NewFile;
    return SaveVerdict::Planned();
}
