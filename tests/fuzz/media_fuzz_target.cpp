// The coverage-guided fuzz target over the whole reader: every input is read as a file,
// then its picture copied, as a TagFile object's Open and SavePicture would.
#include <cstddef>
#include <cstdint>
#include <new>

#include "formats/media_format.h"
#include "formats/memory_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    MediaTags tags;
    uint32_t error = 0;
    try {
        if (!ReadMediaFile(source, tags, &error)) return 0;
        MemorySink picture;
        CopyPicture(source, tags, picture, &error);
    } catch (const std::bad_alloc&) {
        // The readers' one exception; the memory limit of the run catches what causes it.
    }
    return 0;
}
