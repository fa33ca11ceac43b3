#include "tarvik_reader.h"

#include <fcntl.h>

#include "common/unique_descriptor.h"
#include "formats/media_format.h"
#include "formats/posix_file_source.h"

bool ReadWithTarvik(const char* path, MediaTags& tags, std::vector<ReadCall>* reads) {
    const UniqueDescriptor file(open(path, O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) return false;
    PosixFileSource source(file.Get());
    uint32_t error = 0;
    if (reads == nullptr) return ReadMediaFile(source, tags, &error);
    RecordingSource recording(source, *reads);
    return ReadMediaFile(recording, tags, &error);
}
