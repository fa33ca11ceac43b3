// The MP3 writer: the leading ID3v2 tag made anew from the edits (an appended "3DI" tag's
// frames taken over into it), the audio and whatever else lies between the tags kept byte
// for byte, and an existing ID3v1 tag brought up to the edits.
#pragma once
#include <cstdint>

#include "formats/save_request.h"

// Padding beyond this is given back by writing the file anew.
constexpr uint64_t kMostKeptPadding = 256 * 1024;

SaveVerdict PlanMp3Save(const SaveRequest& request, SavePlan& plan);
