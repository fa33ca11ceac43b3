#include "formats/asf/asf_writer.h"

#include <algorithm>
#include <cstring>

#include "formats/asf/asf_guids.h"
#include "formats/asf/asf_tag_lists.h"
#include "formats/id3v2/tag_serialiser.h"
#include "formats/little_endian.h"
#include "formats/mp3/mp3_writer.h"

namespace {

constexpr size_t kObjectHeader = 24;     // GUID and 64-bit size
constexpr size_t kHeaderStart = 30;      // the header object's own fields
constexpr size_t kExtensionStart = 46;   // the header extension's own fields
constexpr size_t kMostObjects = 4096;
// A header larger than this is not read into memory to be written again.
constexpr uint64_t kLargestHeader = 512ull * 1024 * 1024;

// An object of the header (or of its extension) by its place in the header's bytes.
struct HeaderObject {
    size_t Offset = 0, Size = 0;
    int List = -1;  // the tags' list it holds, an index into AsfHeaderEdit::Lists
    std::vector<HeaderObject> Children;  // the header extension's objects
};

struct AsfHeaderEdit {
    std::vector<uint8_t> Header;  // the old header object, whole
    uint64_t FileSize = 0;
    std::vector<HeaderObject> Objects;
    std::vector<AsfList> Lists;
    bool HasPadding = false;
};

void Put(uint64_t value, size_t width, std::vector<uint8_t>& out) {
    for (size_t i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutAt(uint64_t value, size_t width, std::vector<uint8_t>& out, size_t at) {
    for (size_t i = 0; i < width; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

bool ListKindOf(const uint8_t* guid, AsfListKind* kind) {
    const struct {
        const AsfGuid* Guid;
        AsfListKind Kind;
    } kinds[] = {{&kAsfContentDescriptionGuid, AsfListKind::Description},
                 {&kAsfExtendedContentDescriptionGuid, AsfListKind::Extended},
                 {&kAsfMetadataGuid, AsfListKind::Metadata},
                 {&kAsfMetadataLibraryGuid, AsfListKind::Library}};
    for (const auto& known : kinds) {
        if (IsGuid(guid, *known.Guid)) {
            *kind = known.Kind;
            return true;
        }
    }
    return false;
}

// The objects of [begin, end), each read whole; the first header extension's own objects too.
bool WalkObjects(AsfHeaderEdit& edit, size_t begin, size_t end, bool inExtension, std::vector<HeaderObject>& out,
                 size_t* walked) {
    const std::vector<uint8_t>& bytes = edit.Header;
    bool extensionSeen = false;
    for (size_t at = begin; at < end;) {
        if (++*walked > kMostObjects || end - at < kObjectHeader) return false;
        const uint64_t size = ReadLittleEndian(&bytes[at + 16], 8);
        if (size < kObjectHeader || size > end - at) return false;
        HeaderObject object;
        object.Offset = at;
        object.Size = static_cast<size_t>(size);
        const uint8_t* guid = &bytes[at];
        AsfListKind kind;
        if (ListKindOf(guid, &kind)) {
            AsfList list;
            if (!ParseAsfList(kind, &bytes[at + kObjectHeader], object.Size - kObjectHeader, list)) return false;
            object.List = static_cast<int>(edit.Lists.size());
            edit.Lists.push_back(std::move(list));
        } else if (IsGuid(guid, kAsfPaddingGuid)) {
            edit.HasPadding = true;
        } else if (IsGuid(guid, kAsfHeaderExtensionGuid) && !inExtension && !extensionSeen) {
            extensionSeen = true;
            if (object.Size < kExtensionStart ||
                ReadLittleEndian(&bytes[at + 42], 4) != object.Size - kExtensionStart ||
                !WalkObjects(edit, at + kExtensionStart, at + object.Size, true, object.Children, walked)) {
                return false;
            }
        }
        at += object.Size;
        out.push_back(std::move(object));
    }
    return true;
}

// Writes the new header object: the old objects in their order with the tags' lists and the
// first padding object anew (the others give their room to it), and the lists that are new.
// The reader takes a text's values from the content description first, then from the
// extended one: a content description the edits change or make goes in front of the first
// description of either kind, and a new extended one right after it (both last where the
// file has neither); a new metadata library goes in the header extension, itself made where
// there is none.  padding: the padding object's body; addPadding: a padding object is made
// in the header extension where there is none.  False where a list outgrows its fields.
class HeaderWriter {
public:
    HeaderWriter(const AsfHeaderEdit& edit, uint64_t padding, bool addPadding)
        : edit_(edit), padding_(padding), freshPadding_(addPadding && !edit.HasPadding) {}

    bool Write(std::vector<uint8_t>& out) {
        out.assign(edit_.Header.begin(), edit_.Header.begin() + kHeaderStart);
        for (const HeaderObject& object : edit_.Objects) {
            if (!WriteObject(object, out)) return false;
        }
        if (!WriteLeadingDescription(out)) return false;
        if (!extensionWritten_ && (NeedsFresh(AsfListKind::Library) || freshPadding_)) {
            if (!WriteExtension(nullptr, out)) return false;
        }
        PutAt(out.size(), 8, out, 16);
        PutAt(count_, 4, out, 24);
        return true;
    }

    // Where the file properties objects begin in the header written.
    const std::vector<size_t>& FileProperties() const noexcept { return fileProperties_; }

private:
    bool NeedsFresh(AsfListKind kind) const {
        for (const AsfList& list : edit_.Lists) {
            if (list.Fresh && list.Kind == kind) return true;
        }
        return false;
    }

    bool WriteList(const AsfList& list, std::vector<uint8_t>& out) {
        static const AsfGuid* const kGuids[] = {&kAsfContentDescriptionGuid, &kAsfExtendedContentDescriptionGuid,
                                                &kAsfMetadataGuid, &kAsfMetadataLibraryGuid};
        std::vector<uint8_t> body;
        if (!SerialiseAsfList(list, body)) return false;
        const AsfGuid& guid = *kGuids[static_cast<int>(list.Kind)];
        out.insert(out.end(), guid, guid + 16);
        Put(kObjectHeader + body.size(), 8, out);
        out.insert(out.end(), body.begin(), body.end());
        return true;
    }

    bool WriteFresh(AsfListKind kind, std::vector<uint8_t>& out, size_t* count) {
        for (const AsfList& list : edit_.Lists) {
            if (!list.Fresh || list.Kind != kind) continue;
            if (!WriteList(list, out)) return false;
            ++*count;
        }
        return true;
    }

    // The first content description where it moves (a changed or new one), then a new
    // extended content description; once.
    bool WriteLeadingDescription(std::vector<uint8_t>& out) {
        if (leadingWritten_) return true;
        leadingWritten_ = true;
        if (leading_ >= 0 && Moves(leading_)) {
            if (!WriteList(edit_.Lists[leading_], out)) return false;
            ++count_;
        }
        return WriteFresh(AsfListKind::Extended, out, &count_);
    }

    bool Moves(int list) const { return edit_.Lists[list].Fresh || edit_.Lists[list].Changed; }

    static int LeadingDescription(const AsfHeaderEdit& edit) {
        for (size_t i = 0; i < edit.Lists.size(); ++i) {
            if (edit.Lists[i].Kind == AsfListKind::Description) return static_cast<int>(i);
        }
        return -1;
    }

    void WritePadding(std::vector<uint8_t>& out) {
        out.insert(out.end(), kAsfPaddingGuid, kAsfPaddingGuid + 16);
        Put(kObjectHeader + padding_, 8, out);
        out.resize(out.size() + static_cast<size_t>(padding_), 0);
    }

    bool WriteExtension(const HeaderObject* old, std::vector<uint8_t>& out) {
        extensionWritten_ = true;
        const size_t start = out.size();
        if (old != nullptr) {
            out.insert(out.end(), edit_.Header.begin() + static_cast<std::ptrdiff_t>(old->Offset),
                       edit_.Header.begin() + static_cast<std::ptrdiff_t>(old->Offset + kExtensionStart));
        } else {
            out.insert(out.end(), kAsfHeaderExtensionGuid, kAsfHeaderExtensionGuid + 16);
            Put(0, 8, out);
            out.insert(out.end(), kAsfHeaderExtensionReservedGuid, kAsfHeaderExtensionReservedGuid + 16);
            Put(6, 2, out);
            Put(0, 4, out);
        }
        size_t unused = 0;
        if (old != nullptr) {
            for (const HeaderObject& child : old->Children) {
                if (!WriteChild(child, out)) return false;
            }
        }
        if (!WriteFresh(AsfListKind::Library, out, &unused)) return false;
        if (freshPadding_) WritePadding(out);
        PutAt(out.size() - start, 8, out, start + 16);
        PutAt(out.size() - start - kExtensionStart, 4, out, start + 42);
        ++count_;
        return true;
    }

    bool WriteChild(const HeaderObject& object, std::vector<uint8_t>& out) {
        if (object.List >= 0 && edit_.Lists[object.List].Changed) return WriteList(edit_.Lists[object.List], out);
        if (IsGuid(&edit_.Header[object.Offset], kAsfPaddingGuid)) {
            if (!paddingWritten_) WritePadding(out);
            paddingWritten_ = true;
            return true;
        }
        out.insert(out.end(), edit_.Header.begin() + static_cast<std::ptrdiff_t>(object.Offset),
                   edit_.Header.begin() + static_cast<std::ptrdiff_t>(object.Offset + object.Size));
        return true;
    }

    bool WriteObject(const HeaderObject& object, std::vector<uint8_t>& out) {
        const uint8_t* guid = &edit_.Header[object.Offset];
        const AsfListKind kind = object.List >= 0 ? edit_.Lists[object.List].Kind : AsfListKind::Library;
        if (kind <= AsfListKind::Extended) {
            if (object.List == leading_ && Moves(leading_)) return WriteLeadingDescription(out);
            if (kind == AsfListKind::Extended && !WriteLeadingDescription(out)) return false;
        }
        if (IsGuid(guid, kAsfHeaderExtensionGuid) && !extensionWritten_) {
            if (!WriteExtension(&object, out)) return false;
        } else {
            const bool padding = IsGuid(guid, kAsfPaddingGuid);
            if (padding && paddingWritten_) return true;
            const size_t start = out.size();
            if (!WriteChild(object, out)) return false;
            if (IsGuid(guid, kAsfFilePropertiesGuid) && object.Size >= kObjectHeader + 24) fileProperties_.push_back(start);
            ++count_;
        }
        if (object.List == leading_) return WriteLeadingDescription(out);
        return true;
    }

    const AsfHeaderEdit& edit_;
    uint64_t padding_;
    bool freshPadding_;
    size_t count_ = 0;
    bool extensionWritten_ = false;
    int leading_ = LeadingDescription(edit_);
    bool leadingWritten_ = false;
    bool paddingWritten_ = false;
    std::vector<size_t> fileProperties_;
};

// The header with the padding given (a padding object added where addPadding and there is
// none); false where a list outgrows its fields.
bool MakeHeader(const AsfHeaderEdit& edit, uint64_t padding, bool addPadding, std::vector<uint8_t>& header) {
    HeaderWriter writer(edit, padding, addPadding);
    if (!writer.Write(header)) return false;
    const uint64_t fileSize = edit.FileSize - edit.Header.size() + header.size();
    for (size_t at : writer.FileProperties()) PutAt(fileSize, 8, header, at + 40);
    return true;
}

uint64_t PaddingOf(const AsfHeaderEdit& edit) {
    for (const HeaderObject& object : edit.Objects) {
        const std::vector<HeaderObject>& level = object.Children;
        for (const HeaderObject& inner : level) {
            if (IsGuid(&edit.Header[inner.Offset], kAsfPaddingGuid)) return inner.Size - kObjectHeader;
        }
        if (IsGuid(&edit.Header[object.Offset], kAsfPaddingGuid)) return object.Size - kObjectHeader;
    }
    return 0;
}

SaveVerdict ReadHeader(const SaveRequest& request, AsfHeaderEdit& edit) {
    uint32_t error = 0;
    edit.FileSize = request.File.Size();
    FileRegion fixed;
    if (!ReadRegion(request.File, 0, kHeaderStart, fixed, &error)) return SaveVerdict::ReadFailure(error);
    if (fixed.Bytes.size() < kHeaderStart) {
        return SaveVerdict::Refused(SaveRefusal::Damaged, u"it ends inside its ASF header object");
    }
    const uint64_t size = ReadLittleEndian(fixed.At(16), 8);
    if (size < kHeaderStart || size > edit.FileSize) {
        return SaveVerdict::Refused(SaveRefusal::Damaged, u"its ASF header object runs past the end of the file");
    }
    if (size > kLargestHeader) {
        return SaveVerdict::Refused(SaveRefusal::Unsupported, u"its ASF header object is larger than this class rewrites");
    }
    FileRegion header;
    if (!ReadRegion(request.File, 0, static_cast<size_t>(size), header, &error)) return SaveVerdict::ReadFailure(error);
    if (header.Bytes.size() < size) {
        return SaveVerdict::Refused(SaveRefusal::Damaged, u"its ASF header object runs past the end of the file");
    }
    edit.Header.assign(header.Bytes.begin(), header.Bytes.end());
    size_t walked = 0;
    if (!WalkObjects(edit, kHeaderStart, edit.Header.size(), false, edit.Objects, &walked)) {
        return SaveVerdict::Refused(SaveRefusal::Damaged, u"the objects of its ASF header cannot be walked whole");
    }
    return SaveVerdict::Planned();
}

void LayOut(const AsfHeaderEdit& edit, std::vector<uint8_t>&& header, SavePlan& plan) {
    plan = SavePlan();
    plan.AddBytes(std::move(header));
    plan.KeepRun(edit.Header.size(), edit.FileSize);
}

}  // namespace

SaveVerdict PlanAsfSave(const SaveRequest& request, SavePlan& plan) {
    plan = SavePlan();
    AsfHeaderEdit edit;
    SaveVerdict verdict = ReadHeader(request, edit);
    if (!verdict.Ok()) return verdict;
    ApplyAsfEdits(request.Edits, edit.Lists);
    const SaveVerdict tooLarge =
        SaveVerdict::Refused(SaveRefusal::TooLarge, u"a tag would be larger than its ASF object can count");
    // The header at its old size, the padding giving or taking the difference, where there
    // is padding enough and not too much is left; a header without padding as it comes.
    const uint64_t oldPadding = PaddingOf(edit);
    std::vector<uint8_t> header;
    if (!MakeHeader(edit, oldPadding, false, header)) return tooLarge;
    const uint64_t bare = header.size() - oldPadding;
    const bool fits = edit.HasPadding ? bare <= edit.Header.size() && edit.Header.size() - bare <= kMostKeptPadding
                                      : header.size() == edit.Header.size();
    if (fits) {
        if (edit.HasPadding && !MakeHeader(edit, edit.Header.size() - bare, false, header)) return tooLarge;
        LayOut(edit, std::move(header), plan);
        uint32_t error = 0;
        if (!ChooseSaveWay(request.File, edit.FileSize, plan, &error)) return SaveVerdict::ReadFailure(error);
        if (plan.Way != SaveWay::NewFile) return SaveVerdict::Planned();
    }
    // Written anew, the padding follows from the audio, not from the old header.
    if (!MakeHeader(edit, PaddingFor(edit.FileSize - edit.Header.size()), true, header)) return tooLarge;
    LayOut(edit, std::move(header), plan);
    plan.Way = SaveWay::Undecided;
    return SaveVerdict::Planned();
}
