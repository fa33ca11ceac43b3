// The WAV and AIFF writer: the ID3v2 chunk, and the LIST/INFO fields alike.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanRiffSave(const SaveRequest& request, SavePlan& plan);
