// The WAV and AIFF writer: the first ID3v2 chunk ("id3 " in WAV, "ID3 " in AIFF) made anew
// from the edits where it lies (at the end of the form where there was none), WAV's LIST
// INFO items of the edited properties brought up to the edits, and every other chunk, the
// audio's among them, byte for byte; the form's size and the pad bytes right.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanRiffSave(const SaveRequest& request, SavePlan& plan);
