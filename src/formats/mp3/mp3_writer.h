// The MP3 writer: the leading ID3v2 tags made one tag anew from the edits (the first tag's
// frames, then what later ones and an appended "3DI" tag hold that it lacks), the audio
// and whatever else lies between the tags kept byte for byte, and an existing ID3v1 tag
// brought up to the edits.  What the properties showed before a save is what the file
// holds after it, and an edit reads back as it was made.
#pragma once
#include <cstdint>

#include "formats/save_request.h"

// Padding beyond this is given back by writing the file anew.
constexpr uint64_t kMostKeptPadding = 256 * 1024;

SaveVerdict PlanMp3Save(const SaveRequest& request, SavePlan& plan);
