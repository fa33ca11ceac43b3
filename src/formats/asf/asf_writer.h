// The WMA writer: the content description, extended content description and metadata library objects.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanAsfSave(const SaveRequest& request, SavePlan& plan);
