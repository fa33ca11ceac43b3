// Unsynchronisation: the 0x00 that a writer stuffs after every 0xFF so that no frame sync
// appears inside a tag.  TagStream undoes it on the way for whole tags; this undoes it
// for one frame's bytes in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstddef>

// Removes the stuffed bytes in place; returns the new size.
size_t RemoveUnsynchronisation(uint8_t* bytes, size_t size) noexcept;
