#include "formats/flac/flac_picture_header.h"

bool ReadFlacPictureHeader(SequentialBytes& bytes, uint32_t* type, uint32_t* imageSize, size_t* headerSize) {
    uint32_t mime = 0, description = 0;
    if (!bytes.ReadBigEndian32(type) || !bytes.ReadBigEndian32(&mime) || bytes.Skip(mime) < mime ||
        !bytes.ReadBigEndian32(&description) || bytes.Skip(description) < description || bytes.Skip(16) < 16 ||
        !bytes.ReadBigEndian32(imageSize)) {
        return false;
    }
    *headerSize = 4 * 4 + size_t{mime} + description + 16;
    return true;
}
