// The coverage-guided fuzz target over the whole reader and every writer: every input is
// read as a file, its picture copied, as a TagFile object's Open and SavePicture would;
// then a save of a title and a removed artist is planned and carried out in memory, and a
// file that was saved must read back with exactly those fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "formats/edit_keys.h"
#include "formats/media_format.h"
#include "formats/memory_source.h"
#include "planned_save.h"

namespace {

const std::u16string kFuzzedTitle = u"Fuzzed \u00E9 \u65E5 \U0001F3B5";

// A save of input's file: refused, or read back with the edits in it.
void CheckSave(const uint8_t* data, size_t size, const MediaTags& read) {
    MediaFormat format = MediaFormat::Mp3;
    if (!FormatNamed(read.Format, &format)) return;
    const FieldNames* names = KeyedFieldNames(format);
    TagEdits edits;
    edits.Texts[EditKeyFor(names, kTitleKey)] = kFuzzedTitle;
    edits.Texts[EditKeyFor(names, kArtistKey)] = u"";
    edits.RemovePictures = size % 2 == 0;
    const PlannedSave saved = SaveEdits(Bytes(data, data + size), edits);
    if (!saved.Verdict.Ok()) return;
    const MediaTags back = ReadMediaFileBytes(saved.File);
    if (back.Format != read.Format || back.Title != kFuzzedTitle || !back.Artist.empty() ||
        (edits.RemovePictures && back.HasPicture())) {
        abort();  // a save the reader does not read back as it was asked for
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    MediaTags tags;
    uint32_t error = 0;
    try {
        if (!ReadMediaFile(source, tags, &error)) return 0;
        MemorySink picture;
        CopyPicture(source, tags, picture, &error);
        CheckSave(data, size, tags);
    } catch (const std::bad_alloc&) {
        // The readers' one exception; the memory limit of the run catches what causes it.
    }
    return 0;
}
