// What a save writes, decided before anything is written, in one shape for every format:
// the new file as a list of pieces, each a run of the old file (streamed as it is, or
// through a rewriter that changes bytes on the way, such as Ogg page numbers) or new bytes.
//
// One rule then decides how it reaches the disk.  Nothing is written where the new file is
// the old one.  In place only where the new file is as long as the old one, keeps every run
// of it at its own offset, and differs from it only within one aligned 4 KB page: a kill can
// cut a longer write short between pages (a write is copied page by page), and a crash can
// tear a write over several sectors, so only a change within one page is made in place, in
// one write.  Anything else goes through a new file, written whole and renamed over the old.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/media_source.h"

// The largest run written in place, and the alignment it must keep.
constexpr uint64_t kInPlacePage = 4096;

// Streams a run of the old file into the new one, changed on the way.
class RunRewriter {
public:
    virtual ~RunRewriter() = default;
    // The old file's bytes [start, end), changed, appended to out; false with the system's
    // error in *error (0 where the old file no longer holds what the plan was made from).
    virtual bool Write(MediaSource& old, uint64_t start, uint64_t end, ByteSink& out, uint32_t* error) = 0;
};

struct SavePiece {
    bool FromOld = false;  // a run [Start, End) of the old file; else Bytes
    uint64_t Start = 0, End = 0;
    std::vector<uint8_t> Bytes;
    std::shared_ptr<RunRewriter> Rewriter;  // for a run of the old file: null to copy it as it is

    uint64_t Size() const noexcept { return FromOld ? End - Start : Bytes.size(); }
};

enum class SaveWay {
    Undecided,  // as a writer leaves it: PlanMediaSave chooses
    Nothing,  // the new file is the old one
    InPlace,  // InPlaceBytes at InPlaceOffset, within one page
    NewFile,  // Pieces, written whole beside the old file and renamed over it
};

struct SavePlan {
    std::vector<SavePiece> Pieces;  // the whole new file, in order
    SaveWay Way = SaveWay::Undecided;
    uint64_t InPlaceOffset = 0;
    std::vector<uint8_t> InPlaceBytes;

    // Appends a run of the old file (an empty run adds nothing).
    void KeepRun(uint64_t start, uint64_t end, std::shared_ptr<RunRewriter> rewriter = nullptr);
    // Appends new bytes (none add nothing).
    void AddBytes(std::vector<uint8_t> bytes);
    uint64_t NewSize() const noexcept;
};

// Why a save was not planned.
enum class SaveRefusal {
    None,
    ReadFailed,   // the system failed a read: its error in SaveVerdict::Error
    Unsupported,  // a format, version or layout the writer does not write
    Damaged,      // the file's own structure cannot be walked whole, so its rest cannot be kept
    TooLarge,     // what would be written is larger than the format can count
};

struct SaveVerdict {
    SaveRefusal Refusal = SaveRefusal::None;
    std::u16string Reason;  // for a refusal other than ReadFailed: why, in a few words
    uint32_t Error = 0;

    static SaveVerdict Planned() { return {}; }
    static SaveVerdict Refused(SaveRefusal refusal, std::u16string reason) { return {refusal, std::move(reason), 0}; }
    static SaveVerdict ReadFailure(uint32_t error) { return {SaveRefusal::ReadFailed, {}, error}; }
    bool Ok() const noexcept { return Refusal == SaveRefusal::None; }
};

// Sets plan.Way by the rule above, reading the old bytes under the new ones; false when the
// system fails a read.
bool ChooseSaveWay(MediaSource& old, uint64_t oldSize, SavePlan& plan, uint32_t* error);

// The whole new file, piece by piece, into out.  False with the system's error in *error;
// 0 there where the old file ended before a run of it did.
bool WritePlannedFile(MediaSource& old, const SavePlan& plan, ByteSink& out, uint32_t* error);
