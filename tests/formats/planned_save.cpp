#include "planned_save.h"

#include <algorithm>

#include "formats/media_format.h"
#include "formats/memory_source.h"

namespace {

// Windows-1252 for what the test texts hold: ASCII and Latin-1 stand for themselves.
class Latin1Encoder final : public CodePageEncoder {
public:
    std::string Encode(const std::u16string& text, size_t most) override {
        std::string out;
        for (char16_t c : text) {
            if (out.size() == most) break;
            out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        }
        return out;
    }
};

}  // namespace

PlannedSave SaveEdits(const Bytes& file, const TagEdits& edits) {
    PlannedSave saved;
    saved.File = file;
    MemorySource source(file.data(), file.size());
    Latin1Encoder encoder;
    SavePlan plan;
    saved.Verdict = PlanMediaSave(source, edits, encoder, plan);
    if (!saved.Verdict.Ok()) return saved;
    saved.Way = plan.Way;
    if (plan.Way == SaveWay::InPlace) {
        std::copy(plan.InPlaceBytes.begin(), plan.InPlaceBytes.end(),
                  saved.File.begin() + static_cast<std::ptrdiff_t>(plan.InPlaceOffset));
    } else if (plan.Way == SaveWay::NewFile) {
        MemorySink sink;
        uint32_t error = 0;
        if (!WritePlannedFile(source, plan, sink, &error)) {
            saved.Verdict = SaveVerdict::ReadFailure(error);
            saved.Way = SaveWay::Undecided;
            return saved;
        }
        saved.File.assign(sink.Bytes.begin(), sink.Bytes.end());
    }
    return saved;
}

MediaTags ReadMediaFileBytes(const Bytes& file) {
    MemorySource source(file.data(), file.size());
    MediaTags tags;
    uint32_t error = 0;
    ReadMediaFile(source, tags, &error);
    return tags;
}

TagEdits TextEdits(const std::map<std::u16string, std::u16string>& texts) {
    TagEdits edits;
    for (const auto& text : texts) edits.Texts.insert(text);
    return edits;
}
