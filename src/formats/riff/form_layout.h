// The chunks of a RIFF (WAV) or IFF (AIFF) form as the writer needs them: every chunk from
// the form type to the form's end, walked whole, so that a save can keep each one byte for
// byte.  A layout that cannot be walked whole is refused, never guessed at.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/media_source.h"

struct FormChunk {
    char Id[4] = {};
    uint64_t Offset = 0;     // the chunk's header
    uint32_t Size = 0;       // its body's size
    bool PadMissing = false;  // an odd last chunk whose pad byte the file lacks

    bool Is(const char* id) const noexcept;
    uint64_t BodyStart() const noexcept { return Offset + 8; }
    // After the body and its pad byte, as far as the file holds them.
    uint64_t End() const noexcept { return Offset + 8 + Size + ((Size & 1) && !PadMissing ? 1 : 0); }
};

struct FormLayout {
    bool BigEndian = false;
    uint64_t FileSize = 0;
    uint64_t FormEnd = 0;  // the file's bytes from here on lie after the form and are kept
    std::vector<FormChunk> Chunks;
};

enum class FormRead {
    Read,
    ReadFailed,  // the system failed a read: its error in *error
    Damaged,     // *reason says which part cannot be kept whole
};

FormRead ReadFormLayout(MediaSource& file, uint64_t fileSize, bool bigEndian, FormLayout& layout,
                        std::u16string* reason, uint32_t* error);

// A chunk's header: its id and size in the form's byte order.
std::vector<uint8_t> ChunkHeader(const char* id, uint32_t size, bool bigEndian);
