#include "formats/flac/flac_writer.h"

#include <algorithm>

#include "formats/id3v2/id3v2_header.h"
#include "formats/little_endian.h"
#include "formats/vorbis_comments/vorbis_comment_writer.h"

namespace {

// A metadata block's body holds at most this many bytes (its length has 24 bits).
constexpr uint32_t kLargestBlock = 0xFFFFFF;
// Blocks walked at most, as the reader walks them.
constexpr size_t kMostBlocks = 1024;
constexpr uint32_t kFrontCover = 3;

enum BlockType : uint8_t { kStreamInfo = 0, kPadding = 1, kVorbisComment = 4, kPicture = 6, kInvalidType = 127 };

struct OldBlock {
    uint8_t Type = 0;
    uint64_t At = 0;  // its header
    uint32_t Size = 0;
    uint64_t BodyStart() const noexcept { return At + 4; }
    uint64_t End() const noexcept { return At + 4 + Size; }
};

// A block of the new file: a kept block's body, new bytes, or padding.
struct NewBlock {
    enum Kind { Kept, Made, Padding } How = Kept;
    uint8_t Type = 0;
    const OldBlock* Old = nullptr;  // Kept; for Padding, the old padding it stands in
    const std::vector<uint8_t>* Body = nullptr;  // Made
    uint32_t PaddingSize = 0;  // Padding

    uint64_t Size() const noexcept {
        return How == Kept ? Old->Size : How == Made ? Body->size() : PaddingSize;
    }
};

SaveVerdict Refused(SaveRefusal refusal, const char16_t* reason) { return SaveVerdict::Refused(refusal, reason); }

class FlacSavePlanner {
public:
    explicit FlacSavePlanner(const SaveRequest& request) : request_(request), edits_(request.Edits) {}

    SaveVerdict Plan(SavePlan& plan) {
        SaveVerdict verdict = WalkBlocks();
        if (!verdict.Ok()) return verdict;
        verdict = MakeComment();
        if (!verdict.Ok()) return verdict;
        verdict = MakePictures();
        if (!verdict.Ok()) return verdict;
        std::vector<NewBlock> blocks;
        if (SameSizeLayout(blocks)) {
            Emit(blocks, plan);
            uint32_t error = 0;
            if (!ChooseSaveWay(request_.File, request_.File.Size(), plan, &error)) {
                return SaveVerdict::ReadFailure(error);
            }
            if (plan.Way != SaveWay::NewFile) return SaveVerdict::Planned();
        }
        FreshLayout(blocks);
        Emit(blocks, plan);
        plan.Way = SaveWay::NewFile;
        return SaveVerdict::Planned();
    }

private:
    bool ReadExactly(uint64_t offset, uint8_t* out, size_t size, bool* complete, uint32_t* error) {
        size_t read = 0;
        if (!request_.File.ReadAt(offset, out, size, &read, error)) return false;
        *complete = read == size;
        return true;
    }

    // The blocks from "fLaC" to the one marked last, each within the file.
    SaveVerdict WalkBlocks() {
        const uint64_t size = request_.File.Size();
        uint64_t at = request_.Start + 4;
        for (bool last = false; !last;) {
            if (blocks_.size() == kMostBlocks) {
                return Refused(SaveRefusal::Unsupported, u"it has more than 1024 metadata blocks");
            }
            uint8_t header[4];
            bool complete = false;
            uint32_t error = 0;
            if (!ReadExactly(at, header, 4, &complete, &error)) return SaveVerdict::ReadFailure(error);
            OldBlock block;
            block.Type = header[0] & 0x7F;
            block.At = at;
            block.Size = static_cast<uint32_t>(ReadBigEndian(header + 1, 3));
            if (!complete || block.End() > size) {
                return Refused(SaveRefusal::Damaged, u"its metadata blocks run past the end of the file");
            }
            if (block.Type == kInvalidType) {
                return Refused(SaveRefusal::Damaged, u"it has a metadata block of an invalid type");
            }
            if (blocks_.empty() && block.Type != kStreamInfo) {
                return Refused(SaveRefusal::Damaged, u"its first metadata block is not STREAMINFO");
            }
            if (block.Type == kVorbisComment) {
                if (commentAt_ != kNone) {
                    return Refused(SaveRefusal::Unsupported, u"it has more than one Vorbis comment block");
                }
                commentAt_ = blocks_.size();
            }
            last = (header[0] & 0x80) != 0;
            blocks_.push_back(block);
            at = block.End();
        }
        if (commentAt_ != kNone) comment_ = &blocks_[commentAt_];
        audioStart_ = at;
        return SaveVerdict::Planned();
    }

    // The comment block's new body where the texts are edited.
    SaveVerdict MakeComment() {
        if (edits_.Texts.empty()) return SaveVerdict::Planned();
        for (const auto& text : edits_.Texts) {
            if (!IsVorbisFieldName(text.first)) {
                return Refused(SaveRefusal::Unsupported, u"a field name is not one Vorbis comments can hold");
            }
        }
        std::vector<uint8_t> old;
        if (comment_ != nullptr) {
            old.resize(comment_->Size);
            bool complete = false;
            uint32_t error = 0;
            if (!ReadExactly(comment_->BodyStart(), old.data(), old.size(), &complete, &error)) {
                return SaveVerdict::ReadFailure(error);
            }
            if (!complete) return Refused(SaveRefusal::Damaged, u"its metadata blocks run past the end of the file");
        }
        if (!EditVorbisComments(old.data(), old.size(), edits_, false, comment_body_)) {
            return Refused(SaveRefusal::Damaged, u"its Vorbis comment block cannot be walked whole");
        }
        if (comment_body_.size() > kLargestBlock) {
            return Refused(SaveRefusal::TooLarge,
                           u"the Vorbis comments would be larger than a FLAC block holds (16 MB)");
        }
        // A file without comments gains a block only for a field to hold.
        commentMade_ = comment_ != nullptr || FieldCount(comment_body_) != 0;
        return SaveVerdict::Planned();
    }

    // The number of fields of a list EditVorbisComments made.
    static uint64_t FieldCount(const std::vector<uint8_t>& list) {
        return ReadLittleEndian(list.data() + 4 + ReadLittleEndian(list.data(), 4), 4);
    }

    // Which pictures go, and the new cover's block.
    SaveVerdict MakePictures() {
        dropped_.assign(blocks_.size(), false);
        const bool cover = !edits_.Cover.Bytes.empty();
        for (size_t i = 0; i < blocks_.size(); ++i) {
            if (blocks_[i].Type != kPicture || !(edits_.RemovePictures || cover)) continue;
            uint8_t type[4] = {};
            bool complete = false;
            uint32_t error = 0;
            if (!edits_.RemovePictures && blocks_[i].Size >= 4 &&
                !ReadExactly(blocks_[i].BodyStart(), type, 4, &complete, &error)) {
                return SaveVerdict::ReadFailure(error);
            }
            const bool frontCover = complete && ReadBigEndian(type, 4) == kFrontCover;
            dropped_[i] = edits_.RemovePictures || frontCover;
            if (frontCover && coverAt_ == kNone) coverAt_ = i;
        }
        if (!cover) return SaveVerdict::Planned();
        cover_body_ = FlacPictureBody(edits_.Cover);
        if (cover_body_.size() > kLargestBlock) {
            return Refused(SaveRefusal::TooLarge, u"the picture would be larger than a FLAC block holds (16 MB)");
        }
        return SaveVerdict::Planned();
    }

    NewBlock KeptBlock(const OldBlock& old) const {
        NewBlock block;
        block.Type = old.Type;
        block.Old = &old;
        return block;
    }
    static NewBlock MadeBlock(uint8_t type, const std::vector<uint8_t>& body) {
        NewBlock block;
        block.How = NewBlock::Made;
        block.Type = type;
        block.Body = &body;
        return block;
    }
    static NewBlock PaddingBlock(uint32_t size) {
        NewBlock block;
        block.How = NewBlock::Padding;
        block.Type = kPadding;
        block.PaddingSize = size;
        return block;
    }

    bool HasCover() const noexcept { return !cover_body_.empty(); }

    // The old blocks in their order with the new ones in their places, the padding beside
    // them giving or taking the difference; false where it cannot.
    bool SameSizeLayout(std::vector<NewBlock>& blocks) const {
        blocks.clear();
        size_t anchor = blocks_.size();  // where a new comment block goes: the old one's place, else the padding's
        for (size_t i = 0; i < blocks_.size() && anchor == blocks_.size(); ++i) {
            if (blocks_[i].Type == kPadding) anchor = i;
        }
        if (comment_ != nullptr) anchor = commentAt_;
        const size_t coverAt = coverAt_ != kNone ? coverAt_ : anchor;
        for (size_t i = 0; i <= blocks_.size(); ++i) {
            if (i == coverAt && HasCover()) blocks.push_back(MadeBlock(kPicture, cover_body_));
            if (i == anchor && comment_ == nullptr && commentMade_) {
                blocks.push_back(MadeBlock(kVorbisComment, comment_body_));
            }
            if (i == blocks_.size()) break;
            const OldBlock& old = blocks_[i];
            if (dropped_[i]) continue;
            if (old.Type == kVorbisComment && commentMade_) {
                blocks.push_back(MadeBlock(kVorbisComment, comment_body_));
            } else {
                blocks.push_back(KeptBlock(old));
            }
        }
        return Absorb(blocks);
    }

    // The padding after the last new block (else the last padding) takes the difference:
    // left smaller or larger, or removed where taken whole.
    bool Absorb(std::vector<NewBlock>& blocks) const {
        uint64_t newSize = 0;
        for (const NewBlock& block : blocks) newSize += 4 + block.Size();
        const uint64_t oldSize = audioStart_ - request_.Start - 4;
        if (newSize == oldSize) return true;
        size_t padding = blocks.size(), lastMade = 0;
        for (size_t i = 0; i < blocks.size(); ++i) {
            if (blocks[i].How == NewBlock::Made) lastMade = i;
        }
        for (size_t i = 0; i < blocks.size(); ++i) {
            const bool isPadding = blocks[i].How == NewBlock::Kept && blocks[i].Type == kPadding;
            if (isPadding && (padding == blocks.size() || padding < lastMade)) padding = i;
        }
        if (padding == blocks.size()) return false;
        // With the padding left out, the blocks must leave it room for its header at least.
        const uint64_t others = newSize - 4 - blocks[padding].Size();
        if (others == oldSize) {
            blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(padding));
            return true;
        }
        if (others + 4 > oldSize || oldSize - others - 4 > kLargestBlock) return false;
        const OldBlock* was = blocks[padding].Old;
        blocks[padding] = PaddingBlock(static_cast<uint32_t>(oldSize - others - 4));
        blocks[padding].Old = was;
        return true;
    }

    // STREAMINFO and the other kept blocks in their order, the pictures, the comments, the padding.
    void FreshLayout(std::vector<NewBlock>& blocks) const {
        blocks.clear();
        for (const OldBlock& old : blocks_) {
            if (old.Type != kPadding && old.Type != kVorbisComment && old.Type != kPicture) {
                blocks.push_back(KeptBlock(old));
            }
        }
        for (size_t i = 0; i < blocks_.size(); ++i) {
            if (i == coverAt_) blocks.push_back(MadeBlock(kPicture, cover_body_));
            if (blocks_[i].Type == kPicture && !dropped_[i]) blocks.push_back(KeptBlock(blocks_[i]));
        }
        if (HasCover() && coverAt_ == kNone) blocks.push_back(MadeBlock(kPicture, cover_body_));
        if (commentMade_) {
            blocks.push_back(MadeBlock(kVorbisComment, comment_body_));
        } else if (comment_ != nullptr) {
            blocks.push_back(KeptBlock(*comment_));
        }
        blocks.push_back(PaddingBlock(kFreshFlacPadding));
    }

    // The whole new file: what stands before the blocks, the blocks, the audio.
    void Emit(const std::vector<NewBlock>& blocks, SavePlan& plan) const {
        plan = SavePlan();
        plan.KeepRun(0, request_.Start + 4);
        uint64_t at = request_.Start + 4;
        for (size_t i = 0; i < blocks.size(); ++i) {
            const NewBlock& block = blocks[i];
            const uint64_t size = block.Size();
            std::vector<uint8_t> bytes{static_cast<uint8_t>(block.Type | (i + 1 == blocks.size() ? 0x80 : 0)),
                                       static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 8),
                                       static_cast<uint8_t>(size)};
            if (block.How == NewBlock::Made) bytes.insert(bytes.end(), block.Body->begin(), block.Body->end());
            // Padding that ends where the old padding did keeps the old one's bytes there, a
            // run at its own offset: a large padding is neither compared nor held in memory.
            uint64_t keptFrom = at + 4 + size;
            if (block.How == NewBlock::Padding && block.Old != nullptr && block.Old->End() == keptFrom) {
                keptFrom = std::max(at + 4, block.Old->BodyStart());
            }
            if (block.How == NewBlock::Padding) bytes.resize(static_cast<size_t>(bytes.size() + keptFrom - at - 4));
            plan.AddBytes(std::move(bytes));
            if (block.How == NewBlock::Kept) plan.KeepRun(block.Old->BodyStart(), block.Old->End());
            if (block.How == NewBlock::Padding) plan.KeepRun(keptFrom, at + 4 + size);
            at += 4 + size;
        }
        plan.KeepRun(audioStart_, request_.File.Size());
    }

    static constexpr size_t kNone = static_cast<size_t>(-1);

    const SaveRequest& request_;
    const TagEdits& edits_;
    std::vector<OldBlock> blocks_;
    size_t commentAt_ = kNone;
    const OldBlock* comment_ = nullptr;  // blocks_[commentAt_] once walked
    uint64_t audioStart_ = 0;
    std::vector<uint8_t> comment_body_;
    bool commentMade_ = false;  // the comment block is comment_body_
    std::vector<bool> dropped_;
    size_t coverAt_ = kNone;  // the dropped front cover whose place the new one takes
    std::vector<uint8_t> cover_body_;
};

}  // namespace

SaveVerdict PlanFlacSave(const SaveRequest& request, SavePlan& plan) {
    plan = SavePlan();
    if (request.Edits.Empty()) {
        plan.KeepRun(0, request.File.Size());
        return SaveVerdict::Planned();
    }
    return FlacSavePlanner(request).Plan(plan);
}
