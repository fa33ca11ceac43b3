// The headers that encoders put in a stream's first frame to count its frames: Xing
// ("Xing" for VBR, "Info" for CBR, as LAME writes them) and Fraunhofer's VBRI.
#pragma once
#include <cstdint>

#include "formats/mpeg/mpeg_frame.h"

struct VbrHeader {
    uint32_t Frames = 0;   // 0 when the header does not count them
    bool Variable = false;  // "Xing" and VBRI; "Info" marks a constant bitrate
};

// The header inside the frame at bytes (the whole frame, frame.Length bytes); false when
// the frame carries none.
bool ParseVbrHeader(const uint8_t* bytes, const MpegFrame& frame, VbrHeader& header) noexcept;
