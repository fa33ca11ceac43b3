// The FLAC writer: its VORBIS_COMMENT and PICTURE blocks.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanFlacSave(const SaveRequest& request, SavePlan& plan);
