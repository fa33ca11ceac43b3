// The Ogg writer (Vorbis and Opus): the comment packet of the first audio stream.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanOggSave(const SaveRequest& request, SavePlan& plan);
