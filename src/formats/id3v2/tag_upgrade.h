// A 2.2 frame taken over into a 2.3 tag, as the ID3v2 rules convert it: its identifier
// renamed, a picture's three-letter image format turned into a MIME type; a frame without a
// 2.3 counterpart, or whose body names 2.2 frames (LNK), is dropped.
#pragma once
#include <cstdint>

#include "formats/id3v2/stored_tag.h"

// header: the frame's 6-byte 2.2 header; frame.Body holds its bytes.  Sets frame.Id and
// converts the body; false when the frame is dropped.
bool UpgradeFrom22(const uint8_t* header, StoredFrame& frame);
