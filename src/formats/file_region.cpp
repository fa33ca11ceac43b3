#include "formats/file_region.h"

bool ReadRegion(MediaSource& source, uint64_t offset, size_t size, FileRegion& region, uint32_t* error) {
    region.Offset = offset;
    region.Bytes.resize(size);
    size_t read = 0;
    const bool ok = size == 0 || source.ReadAt(offset, region.Bytes.data(), size, &read, error);
    region.Bytes.resize(read);
    return ok;
}

bool ExtendRegion(MediaSource& source, FileRegion& region, uint64_t end, uint32_t* error) {
    if (end <= region.End()) return true;
    const size_t had = region.Bytes.size();
    const uint64_t from = region.End();
    region.Bytes.resize(static_cast<size_t>(end - region.Offset));
    size_t read = 0;
    const bool ok = source.ReadAt(from, region.Bytes.data() + had, static_cast<size_t>(end - from), &read, error);
    region.Bytes.resize(had + read);
    return ok;
}
