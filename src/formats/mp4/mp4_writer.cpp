#include "formats/mp4/mp4_writer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "formats/id3v2/id3v2_header.h"
#include "formats/mp4/box_reader.h"
#include "formats/mp4/box_tree.h"
#include "formats/mp4/chunk_offsets.h"
#include "formats/mp4/ilst_edits.h"

namespace {

constexpr size_t kMostTopBoxes = 65536;

struct TopBox {
    std::string Type;
    uint64_t Start = 0, End = 0;
    size_t HeaderSize = 8;
};

bool ReadExactly(MediaSource& file, uint64_t offset, uint8_t* out, size_t size, uint32_t* error) {
    size_t read = 0;
    if (!file.ReadAt(offset, out, size, &read, error)) return false;
    if (read == size) return true;
    *error = 0;
    return false;
}

// The boxes of the file's top level.  A box that runs past the end of the file is taken to
// end with it, as the reader takes it, and fewer than 8 bytes after the last box are kept
// as they are.
SaveVerdict ReadTopLevel(MediaSource& file, uint64_t size, std::vector<TopBox>& boxes) {
    uint32_t error = 0;
    for (uint64_t at = 0; at + 8 <= size;) {
        if (boxes.size() == kMostTopBoxes) {
            return SaveVerdict::Refused(SaveRefusal::Unsupported, u"it holds more boxes than this class walks");
        }
        uint8_t header[16];
        const size_t length = static_cast<size_t>(std::min<uint64_t>(16, size - at));
        if (!ReadExactly(file, at, header, length, &error)) {
            if (error != 0) return SaveVerdict::ReadFailure(error);
            break;
        }
        TopBox box;
        box.Type.assign(reinterpret_cast<const char*>(header) + 4, 4);
        box.Start = at;
        uint64_t boxSize = ReadBigEndian(header, 4);
        if (boxSize == 1) {
            if (length < 16) return SaveVerdict::Refused(SaveRefusal::Damaged, u"its last box's header is cut short");
            boxSize = ReadBigEndian64(header + 8);
            box.HeaderSize = 16;
        } else if (boxSize == 0) {
            boxSize = size - at;
        }
        if (boxSize < box.HeaderSize) {
            return SaveVerdict::Refused(SaveRefusal::Damaged, u"a box at its top level has a size too small to be one");
        }
        box.End = boxSize > size - at ? size : at + boxSize;
        boxes.push_back(box);
        at = box.End;
    }
    return SaveVerdict::Planned();
}

bool IsPadding(const std::string& type) { return type == "free" || type == "skip"; }

std::vector<uint8_t> HandlerBody() {
    // Version and flags, no predefined, the "mdir" handler, "appl" and two reserved words,
    // an empty name.
    std::vector<uint8_t> body(8, 0);
    for (const char* word : {"mdir", "appl"}) body.insert(body.end(), word, word + 4);
    body.resize(body.size() + 9, 0);
    return body;
}

bool IsItemsHandler(const BoxNode& meta) {
    for (const BoxNode& child : meta.Children) {
        if (child.Is("hdlr") && child.Body.size() >= 12 && std::equal(child.Body.begin() + 8, child.Body.begin() + 12, "mdir")) {
            return true;
        }
    }
    return false;
}

// moov/udta/meta, holding ilst: made where absent (udta at moov's end, meta with its
// handler, ilst after what meta holds).
BoxNode& ItemsMeta(BoxNode& moov) {
    BoxNode* udta = moov.Child("udta");
    if (udta == nullptr) {
        moov.Children.push_back(ParentBox("udta", {}, {}));
        udta = &moov.Children.back();
    }
    BoxNode* meta = nullptr;
    for (BoxNode& child : udta->Children) {
        if (child.Is("meta") && child.Parsed && child.Child("ilst") != nullptr) meta = &child;
        if (meta != nullptr) break;
    }
    for (BoxNode& child : udta->Children) {
        if (meta == nullptr && child.Is("meta") && child.Parsed && IsItemsHandler(child)) meta = &child;
    }
    if (meta == nullptr) {
        udta->Children.push_back(ParentBox("meta", std::vector<uint8_t>(4, 0), {}));
        meta = &udta->Children.back();
    }
    if (meta->Child("hdlr") == nullptr) meta->Children.insert(meta->Children.begin(), LeafBox("hdlr", HandlerBody()));
    if (meta->Child("ilst") == nullptr) meta->Children.push_back(ParentBox("ilst", {}, {}));
    return *meta;
}

size_t IlstIndex(const BoxNode& meta) {
    size_t index = 0;
    while (!meta.Children[index].Is("ilst")) ++index;
    return index;
}

uint64_t HeaderOf(bool large) { return large ? 16 : 8; }

// A free box of total bytes, its body zeros.
BoxNode FreeBox(uint64_t total) { return LeafBox("free", std::vector<uint8_t>(static_cast<size_t>(total - 8), 0)); }

// Whether a padding box of size old, large header or not, can become one of size old - by
// (0: no box at all).
bool PaddingTakes(uint64_t old, bool large, int64_t by, uint64_t* total) {
    if (by > 0 && static_cast<uint64_t>(by) > old) return false;
    *total = old - static_cast<uint64_t>(by);
    return *total == 0 || *total >= HeaderOf(large);
}

std::vector<uint8_t> Bytes(const BoxNode& box) {
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(box.Size()));
    box.AppendTo(bytes);
    return bytes;
}

class Mp4SavePlanner {
public:
    Mp4SavePlanner(const SaveRequest& request, SavePlan& plan) : request_(request), plan_(plan) {}

    SaveVerdict Plan() {
        SaveVerdict verdict = ReadMovie();
        if (!verdict.Ok()) return verdict;
        BoxNode& meta = ItemsMeta(moov_);
        BoxNode& ilst = meta.Children[IlstIndex(meta)];
        std::u16string reason;
        if (!EditItems(request_.Edits, ilst.Children, &reason)) return SaveVerdict::Refused(SaveRefusal::Unsupported, reason);
        growth_ = static_cast<int64_t>(moov_.Size()) - static_cast<int64_t>(oldMovie_.size());
        bool planned = false;
        uint32_t error = 0;
        if (!TryInPlace(meta, &planned, &error)) return SaveVerdict::ReadFailure(error);
        if (planned) return SaveVerdict::Planned();
        return PlanFreshFile(meta);
    }

private:
    SaveVerdict ReadMovie() {
        PrefetchedSource& file = request_.File;
        fileSize_ = file.Size();
        SaveVerdict verdict = ReadTopLevel(file, fileSize_, top_);
        if (!verdict.Ok()) return verdict;
        movie_ = top_.size();
        for (size_t i = 0; i < top_.size(); ++i) {
            if (top_[i].Type == "moof") {
                return SaveVerdict::Refused(SaveRefusal::Unsupported,
                                            u"it is a fragmented MP4 (movie fragments), which this class does not write");
            }
            if (top_[i].Type != "moov") continue;
            if (movie_ != top_.size()) return SaveVerdict::Refused(SaveRefusal::Unsupported, u"it holds two movie boxes");
            movie_ = i;
        }
        if (movie_ == top_.size()) return SaveVerdict::Refused(SaveRefusal::Unsupported, u"it has no movie (moov) box");
        const TopBox& movie = top_[movie_];
        if (movie.End - movie.Start > kLargestMovieBox) {
            return SaveVerdict::Refused(SaveRefusal::Unsupported, u"its movie box is larger than this class reads (128 MB)");
        }
        oldMovie_.resize(static_cast<size_t>(movie.End - movie.Start));
        uint32_t error = 0;
        if (!ReadExactly(file, movie.Start, oldMovie_.data(), oldMovie_.size(), &error)) {
            return SaveVerdict::ReadFailure(error);
        }
        MemoryBox box;
        box.Type = "moov";
        box.BodyStart = movie.HeaderSize;
        box.End = oldMovie_.size();
        box.LargeHeader = movie.HeaderSize == 16;
        if (!ParseBox(oldMovie_.data(), box, "", moov_)) {
            return SaveVerdict::Refused(SaveRefusal::Damaged, u"a box in its movie box runs past the box that holds it");
        }
        if (moov_.Child("mvex") != nullptr) {
            return SaveVerdict::Refused(SaveRefusal::Unsupported,
                                        u"it is a fragmented MP4 (movie extends box), which this class does not write");
        }
        return SaveVerdict::Planned();
    }

    // The layouts that keep the file's size, in turn, until one is written in place or is
    // no change: the growth taken by a free box beside ilst (or a new one in front of it
    // for what ilst gave back), then by a free box right after or right before moov.
    bool TryInPlace(BoxNode& meta, bool* planned, uint32_t* error) {
        if (growth_ == 0) return TryMovieInPlace(planned, error);
        std::vector<BoxNode>& children = meta.Children;
        const size_t ilst = IlstIndex(meta);
        for (size_t side : {ilst + 1, ilst - 1}) {
            if (side >= children.size() || !IsPadding(children[side].Type)) continue;
            BoxNode old = children[side];
            uint64_t total = 0;
            if (!PaddingTakes(old.Size(), old.LargeHeader, growth_, &total)) continue;
            ResizePadding(children, side, side > ilst, total);
            const bool tried = TryMovieInPlace(planned, error);
            if (total == 0) {
                children.insert(children.begin() + static_cast<std::ptrdiff_t>(side), std::move(old));
            } else {
                children[side] = std::move(old);
            }
            if (!tried || *planned) return tried;
        }
        if (growth_ <= -8) {
            children.insert(children.begin() + static_cast<std::ptrdiff_t>(ilst), FreeBox(static_cast<uint64_t>(-growth_)));
            const bool tried = TryMovieInPlace(planned, error);
            children.erase(children.begin() + static_cast<std::ptrdiff_t>(ilst));
            if (!tried || *planned) return tried;
        }
        for (size_t side : {movie_ + 1, movie_ - 1}) {
            if (side >= top_.size() || !IsPadding(top_[side].Type)) continue;
            const TopBox& padding = top_[side];
            uint64_t total = 0;
            if (!PaddingTakes(padding.End - padding.Start, padding.HeaderSize == 16, growth_, &total)) continue;
            PlanBesideMovie(padding, side > movie_, total);
            if (!ChooseSaveWay(request_.File, fileSize_, plan_, error)) return false;
            if (plan_.Way != SaveWay::NewFile) {
                *planned = true;
                return true;
            }
        }
        return true;
    }

    // The padding box at side of ilst made total bytes long, keeping the bytes that stay
    // where they were: its start where it lies before ilst, its end where it lies after.
    static void ResizePadding(std::vector<BoxNode>& children, size_t side, bool afterItems, uint64_t total) {
        BoxNode& padding = children[side];
        if (total == 0) {
            children.erase(children.begin() + static_cast<std::ptrdiff_t>(side));
            return;
        }
        const size_t body = static_cast<size_t>(total - HeaderOf(padding.LargeHeader));
        std::vector<uint8_t>& bytes = padding.Body;
        if (!afterItems) {
            bytes.resize(body, 0);
        } else if (body < bytes.size()) {
            bytes.erase(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(body));
        } else {
            bytes.insert(bytes.begin(), body - bytes.size(), 0);
        }
    }

    // The movie box in its own place, of its own size: only the bytes that differ are new.
    bool TryMovieInPlace(bool* planned, uint32_t* error) {
        const std::vector<uint8_t> movie = Bytes(moov_);
        if (movie.size() != oldMovie_.size()) return true;
        const uint64_t start = top_[movie_].Start;
        plan_ = SavePlan();
        const auto first = std::mismatch(movie.begin(), movie.end(), oldMovie_.begin());
        if (first.first == movie.end()) {
            plan_.KeepRun(0, fileSize_);
        } else {
            size_t last = movie.size() - 1;
            while (movie[last] == oldMovie_[last]) --last;
            const size_t from = static_cast<size_t>(first.first - movie.begin());
            plan_.KeepRun(0, start + from);
            plan_.AddBytes(std::vector<uint8_t>(movie.begin() + static_cast<std::ptrdiff_t>(from),
                                                movie.begin() + static_cast<std::ptrdiff_t>(last + 1)));
            plan_.KeepRun(start + last + 1, fileSize_);
        }
        if (!ChooseSaveWay(request_.File, fileSize_, plan_, error)) return false;
        *planned = plan_.Way != SaveWay::NewFile;
        return true;
    }

    // The new movie box with the padding box after or before it made total bytes long, the
    // media where it was.
    void PlanBesideMovie(const TopBox& padding, bool after, uint64_t total) {
        const TopBox& movie = top_[movie_];
        plan_ = SavePlan();
        const uint64_t start = std::min(movie.Start, padding.Start);
        plan_.KeepRun(0, start);
        std::vector<uint8_t> movieBytes = Bytes(moov_);
        const uint64_t movieSize = movieBytes.size();
        if (after) plan_.AddBytes(std::move(movieBytes));
        if (total != 0) AddPadding(after ? start + movieSize : start, total, padding);
        if (!after) plan_.AddBytes(std::move(movieBytes));
        plan_.KeepRun(std::max(movie.End, padding.End), fileSize_);
    }

    // A padding box at at of total bytes; its body keeps the old padding's body where the
    // two overlap, zeros elsewhere.
    void AddPadding(uint64_t at, uint64_t total, const TopBox& old) {
        std::vector<uint8_t> header;
        const uint64_t headerSize = old.HeaderSize;
        if (headerSize == 16) {
            AppendBigEndian(1, 4, header);
            header.insert(header.end(), old.Type.begin(), old.Type.end());
            AppendBigEndian(total, 8, header);
        } else {
            AppendBigEndian(total, 4, header);
            header.insert(header.end(), old.Type.begin(), old.Type.end());
        }
        plan_.AddBytes(std::move(header));
        const uint64_t begin = at + headerSize, end = at + total;
        const uint64_t keptBegin = std::max(begin, old.Start + old.HeaderSize), keptEnd = std::min(end, old.End);
        if (keptBegin >= keptEnd) {
            plan_.AddBytes(std::vector<uint8_t>(static_cast<size_t>(end - begin), 0));
            return;
        }
        plan_.AddBytes(std::vector<uint8_t>(static_cast<size_t>(keptBegin - begin), 0));
        plan_.KeepRun(keptBegin, keptEnd);
        plan_.AddBytes(std::vector<uint8_t>(static_cast<size_t>(end - keptEnd), 0));
    }

    // The movie box laid out for the next edit, the media moved by what it grew.
    SaveVerdict PlanFreshFile(BoxNode& meta) {
        std::vector<BoxNode>& children = meta.Children;
        size_t ilst = IlstIndex(meta);
        while (ilst + 1 < children.size() && IsPadding(children[ilst + 1].Type)) {
            children.erase(children.begin() + static_cast<std::ptrdiff_t>(ilst + 1));
        }
        while (ilst > 0 && IsPadding(children[ilst - 1].Type)) {
            children.erase(children.begin() + static_cast<std::ptrdiff_t>(--ilst));
        }
        PutCoversLast(children[ilst].Children);
        children.insert(children.begin() + static_cast<std::ptrdiff_t>(ilst), FreeBox(8));
        padding_ = ilst;
        const uint64_t text = TextSize(children[ilst + 1]);
        const TopBox& movie = top_[movie_];
        // What follows the movie box moves with its growth, and every offset into it.
        const bool moves = movie.End < fileSize_;
        ChunkOffsetTables tables;
        if (moves && !tables.Read(moov_)) {
            return SaveVerdict::Refused(SaveRefusal::Damaged, u"a chunk offset table holds fewer offsets than it counts");
        }
        int64_t growth = 0;
        do {
            LayPadding(meta, text);
            growth = static_cast<int64_t>(moov_.Size()) - static_cast<int64_t>(oldMovie_.size());
        } while (moves && tables.WidenFor(movie.End, growth));
        if (moves) {
            if (growth != 0 && tables.HasOtherOffsets()) {
                return SaveVerdict::Refused(SaveRefusal::Unsupported,
                                            u"it keeps sample auxiliary offsets (saio) that moving the media would break");
            }
            tables.Write(movie.End, growth);
        }
        plan_ = SavePlan();
        plan_.KeepRun(0, movie.Start);
        plan_.AddBytes(Bytes(moov_));
        plan_.KeepRun(movie.End, fileSize_);
        plan_.Way = SaveWay::NewFile;
        return SaveVerdict::Planned();
    }

    // The header of ilst and the items before the covers: what a text edit rewrites.
    static uint64_t TextSize(const BoxNode& ilst) {
        uint64_t size = ilst.Size() - ilst.BodySize();
        for (const BoxNode& item : ilst.Children) {
            if (!item.Is("covr")) size += item.Size();
        }
        return size;
    }

    // The free box in front of ilst sized so that it and the text items end within the page
    // where it begins: an edit of the text then changes one page.  Where that page has too
    // little room left, a free box of its own first brings it to the next page.
    void LayPadding(BoxNode& meta, uint64_t text) {
        std::vector<BoxNode>& children = meta.Children;
        if (spacer_) children.erase(children.begin() + static_cast<std::ptrdiff_t>(--padding_));
        spacer_ = false;
        uint64_t offset = 0;
        OffsetWithin(moov_, &children[padding_], &offset);
        const uint64_t at = top_[movie_].Start + offset;
        const uint64_t left = kInPlacePage - at % kInPlacePage;
        uint64_t size = kMp4FreshPadding;
        if (left >= text + kLeastMp4Padding) {
            size = left - text;
        } else if (text + kLeastMp4Padding <= kInPlacePage) {
            children.insert(children.begin() + static_cast<std::ptrdiff_t>(padding_++),
                            FreeBox(left >= 8 ? left : left + kInPlacePage));
            spacer_ = true;
            size = kInPlacePage - text;
        }
        children[padding_] = FreeBox(size);
    }

    const SaveRequest& request_;
    SavePlan& plan_;
    uint64_t fileSize_ = 0;
    std::vector<TopBox> top_;
    size_t movie_ = 0;
    std::vector<uint8_t> oldMovie_;
    BoxNode moov_;
    int64_t growth_ = 0;
    size_t padding_ = 0;  // the fresh free box's place in meta, after the spacer where there is one
    bool spacer_ = false;
};

}  // namespace

SaveVerdict PlanMp4Save(const SaveRequest& request, SavePlan& plan) {
    plan = SavePlan();
    SaveVerdict verdict = Mp4SavePlanner(request, plan).Plan();
    if (!verdict.Ok()) plan = SavePlan();
    return verdict;
}
