// The MP4 writer: the ilst items under moov/udta/meta.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanMp4Save(const SaveRequest& request, SavePlan& plan);
