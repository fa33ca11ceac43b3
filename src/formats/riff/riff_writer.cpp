#include "formats/riff/riff_writer.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "formats/id3v2/frame_edits.h"
#include "formats/id3v2/stored_tag.h"
#include "formats/id3v2/tag_serialiser.h"
#include "formats/mp3/mp3_writer.h"
#include "formats/riff/form_layout.h"
#include "formats/riff/info_list.h"

namespace {

// The most a form's size field counts.
constexpr uint64_t kLargestFormSize = 0xFFFFFFFFull;

bool IsId3Chunk(const FormChunk& chunk) { return chunk.Is("id3 ") || chunk.Is("ID3 "); }

bool ReadBody(MediaSource& file, const FormChunk& chunk, uint64_t most, std::vector<uint8_t>& out, uint32_t* error) {
    FileRegion region;
    if (!ReadRegion(file, chunk.BodyStart(), static_cast<size_t>(std::min<uint64_t>(chunk.Size, most)), region, error)) {
        return false;
    }
    out.assign(region.Bytes.begin(), region.Bytes.end());
    return true;
}

std::vector<uint8_t> ChunkBytes(const char* id, const std::vector<uint8_t>& body, bool bigEndian) {
    std::vector<uint8_t> bytes = ChunkHeader(id, static_cast<uint32_t>(body.size()), bigEndian);
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (body.size() & 1) bytes.push_back(0);
    return bytes;
}

// What the save writes, gathered before the pieces are laid out.
struct RiffEdit {
    FormLayout Layout;
    uint8_t Head[12] = {};
    const FormChunk* Id3 = nullptr;  // the first ID3v2 chunk, the one the reader reads
    StoredTag Tag;
    std::vector<uint8_t> Frames;
    std::map<size_t, std::vector<uint8_t>> Lists;  // changed LIST INFO bodies by chunk index
};

// The new file with the tag as tagBody: the chunks in their order, the changed ones anew,
// the ID3v2 chunk at the end of the form where there was none, the bytes after the form;
// false where the form would be larger than its size can count.
bool LayOut(const RiffEdit& edit, const std::vector<uint8_t>& tagBody, SavePlan& plan) {
    const FormLayout& layout = edit.Layout;
    plan = SavePlan();
    plan.AddBytes(std::vector<uint8_t>(edit.Head, edit.Head + 12));
    for (size_t i = 0; i < layout.Chunks.size(); ++i) {
        const FormChunk& chunk = layout.Chunks[i];
        const auto list = edit.Lists.find(i);
        if (&chunk == edit.Id3) {
            plan.AddBytes(ChunkBytes(chunk.Id, tagBody, layout.BigEndian));
        } else if (list != edit.Lists.end()) {
            plan.AddBytes(ChunkBytes("LIST", list->second, layout.BigEndian));
        } else {
            plan.KeepRun(chunk.Offset, chunk.End());
            if (chunk.PadMissing) plan.AddBytes({0});
        }
    }
    if (edit.Id3 == nullptr) plan.AddBytes(ChunkBytes(layout.BigEndian ? "ID3 " : "id3 ", tagBody, layout.BigEndian));
    const uint64_t formSize = plan.NewSize() - 8;
    if (formSize > kLargestFormSize) return false;
    const std::vector<uint8_t> size = ChunkHeader("RIFF", static_cast<uint32_t>(formSize), layout.BigEndian);
    std::copy(size.begin() + 4, size.end(), plan.Pieces.front().Bytes.begin() + 4);
    plan.KeepRun(layout.FormEnd, layout.FileSize);
    return true;
}

// The bytes the tag's padding follows from: the form's chunks but its tags.
uint64_t UntaggedSize(const RiffEdit& edit) {
    uint64_t size = 0;
    for (const FormChunk& chunk : edit.Layout.Chunks) {
        if (!IsId3Chunk(chunk) && !chunk.Is("LIST")) size += chunk.End() - chunk.Offset;
    }
    return size;
}

SaveVerdict ReadTag(const SaveRequest& request, RiffEdit& edit) {
    uint32_t error = 0;
    for (const FormChunk& chunk : edit.Layout.Chunks) {
        if (IsId3Chunk(chunk)) {
            edit.Id3 = &chunk;
            break;
        }
    }
    edit.Tag = StoredTag();
    if (edit.Id3 != nullptr) {
        std::vector<uint8_t> bytes;
        if (!ReadBody(request.File, *edit.Id3, 10 + kLargestTagSize, bytes, &error)) return SaveVerdict::ReadFailure(error);
        if (ParseStoredTag(bytes.data(), bytes.size(), edit.Tag) != TagParse::Parsed) {
            return SaveVerdict::Refused(SaveRefusal::Unsupported,
                                        u"its ID3 chunk holds no ID3v2 tag of a version this class writes");
        }
    }
    ApplyEdits(request.Edits, edit.Tag);
    if (!SerialiseFrames(edit.Tag, edit.Frames) || edit.Frames.size() > kLargestTagSize) {
        return SaveVerdict::Refused(SaveRefusal::TooLarge, u"the tag would be larger than ID3v2 allows (256 MB)");
    }
    return SaveVerdict::Planned();
}

SaveVerdict UpdateLists(const SaveRequest& request, RiffEdit& edit) {
    if (edit.Layout.BigEndian || !EditsInfo(request.Edits)) return SaveVerdict::Planned();
    uint32_t error = 0;
    for (size_t i = 0; i < edit.Layout.Chunks.size(); ++i) {
        const FormChunk& chunk = edit.Layout.Chunks[i];
        if (!chunk.Is("LIST") || chunk.Size < 4) continue;
        std::vector<uint8_t> body;
        if (!ReadBody(request.File, chunk, chunk.Size, body, &error)) return SaveVerdict::ReadFailure(error);
        if (std::memcmp(body.data(), "INFO", 4) != 0) continue;
        switch (UpdateInfoList(request.Edits, request.Encoder, body)) {
            case InfoUpdate::Damaged:
                return SaveVerdict::Refused(SaveRefusal::Damaged, u"an item of its LIST INFO chunk runs past the chunk");
            case InfoUpdate::Changed:
                edit.Lists[i] = std::move(body);
                break;
            case InfoUpdate::Unchanged:
                break;
        }
    }
    return SaveVerdict::Planned();
}

}  // namespace

SaveVerdict PlanRiffSave(const SaveRequest& request, SavePlan& plan) {
    plan = SavePlan();
    RiffEdit edit;
    const FileRegion& head = request.File.Head();
    const bool bigEndian = head.Covers(0, 4) && std::memcmp(head.At(0), "FORM", 4) == 0;
    std::u16string reason;
    uint32_t error = 0;
    switch (ReadFormLayout(request.File, request.File.Size(), bigEndian, edit.Layout, &reason, &error)) {
        case FormRead::ReadFailed:
            return SaveVerdict::ReadFailure(error);
        case FormRead::Damaged:
            return SaveVerdict::Refused(SaveRefusal::Damaged, reason);
        case FormRead::Read:
            break;
    }
    std::memcpy(edit.Head, head.At(0), 12);
    SaveVerdict verdict = ReadTag(request, edit);
    if (verdict.Ok()) verdict = UpdateLists(request, edit);
    if (!verdict.Ok()) return verdict;
    const int version = edit.Tag.Version;
    // The new tag in the old chunk's space where it fits: the file keeps its size, and where
    // what changes lies within one page it is written in place.
    if (edit.Id3 != nullptr) {
        const uint64_t space = edit.Id3->Size;
        if (space >= 10 + edit.Frames.size() && space - 10 - edit.Frames.size() <= kMostKeptPadding &&
            space - 10 <= kLargestTagSize) {
            if (LayOut(edit, MakeTagBytes(version, edit.Frames, space), plan)) {
                if (!ChooseSaveWay(request.File, request.File.Size(), plan, &error)) return SaveVerdict::ReadFailure(error);
                if (plan.Way != SaveWay::NewFile) return SaveVerdict::Planned();
            }
        }
    }
    // Written anew, the padding follows from the rest of the file, not from the old tag: the
    // same edits give the same file whatever tag was there.  An even size needs no pad byte.
    uint64_t padding = std::min(PaddingFor(UntaggedSize(edit)), kLargestTagSize - edit.Frames.size());
    if (((10 + edit.Frames.size() + padding) & 1) != 0 && padding > 0) --padding;
    if (!LayOut(edit, MakeTagBytes(version, edit.Frames, 10 + edit.Frames.size() + padding), plan)) {
        plan = SavePlan();
        return SaveVerdict::Refused(SaveRefusal::TooLarge, u"the file would be larger than a RIFF form counts (4 GB)");
    }
    plan.Way = SaveWay::Undecided;
    return SaveVerdict::Planned();
}
