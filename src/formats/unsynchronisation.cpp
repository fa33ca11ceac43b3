#include "formats/unsynchronisation.h"

size_t RemoveUnsynchronisation(BYTE* bytes, size_t size) noexcept {
    size_t kept = 0;
    BYTE previous = 0;
    for (size_t i = 0; i < size; ++i) {
        const BYTE b = bytes[i];
        if (!(b == 0 && previous == 0xFF)) bytes[kept++] = b;
        previous = b;
    }
    return kept;
}
