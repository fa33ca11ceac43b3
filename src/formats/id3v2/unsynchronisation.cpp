#include "formats/id3v2/unsynchronisation.h"

size_t RemoveUnsynchronisation(uint8_t* bytes, size_t size) noexcept {
    size_t kept = 0;
    uint8_t previous = 0;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = bytes[i];
        if (!(b == 0 && previous == 0xFF)) bytes[kept++] = b;
        previous = b;
    }
    return kept;
}
