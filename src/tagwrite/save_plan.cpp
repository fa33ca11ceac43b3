#include "tagwrite/save_plan.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "tagwrite/frame_edits.h"
#include "tagwrite/stored_tag.h"
#include "tagwrite/tag_serialiser.h"

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

}  // namespace

SaveRefusal PlanSave(const TagLayout& layout, const TagEdits& edits, CodePageEncoder& encoder, SavePlan& plan) {
    plan = SavePlan();
    StoredTag tag;
    if (!StartTag(layout, tag)) return SaveRefusal::UnwritableTag;
    ApplyEdits(edits, tag);
    plan.Version = tag.Version;
    std::vector<uint8_t> frames;
    if (!SerialiseFrames(tag, frames) || frames.size() > kLargestTagSize) return SaveRefusal::TagTooLarge;
    if (layout.HasId3v1) {
        plan.Id3v1.assign(layout.Id3v1, layout.Id3v1 + 128);
        UpdateId3v1(edits, encoder, plan.Id3v1.data());
    }
    // In place only where one write makes the whole new file: the tag's space alone changes.
    const uint64_t space = layout.LeadingTag.size();
    const bool id3v1Kept = !layout.HasId3v1 || std::memcmp(plan.Id3v1.data(), layout.Id3v1, 128) == 0;
    if (space >= 10 + frames.size() && space - 10 - frames.size() <= kMostKeptPadding &&
        space - 10 <= kLargestTagSize && layout.AppendedTag.empty() && id3v1Kept) {
        plan.InPlace = true;
        plan.Tag = MakeTagBytes(tag.Version, frames, space);
        plan.Id3v1.clear();
        return SaveRefusal::None;
    }
    // Padding follows from what the tag stands before, not from the old tag: the same edits
    // give the same file whatever tag was there.
    const uint64_t audio = layout.KeptEnd - layout.LeadingTag.size();
    const uint64_t padding = std::min(PaddingFor(audio), kLargestTagSize - frames.size());
    plan.Tag = MakeTagBytes(tag.Version, frames, 10 + frames.size() + padding);
    plan.KeptStart = layout.LeadingTag.size();
    plan.KeptEnd = layout.KeptEnd;
    return SaveRefusal::None;
}
