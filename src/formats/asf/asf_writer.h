// The WMA (ASF) writer: the header object made anew with the tags' objects edited (the
// content description, the extended content description and, inside the header extension,
// the metadata and metadata library objects; made where needed and absent), its size and
// object count and the file properties' file size updated; every other header object, the
// data object and the indexes byte for byte.  A padding object gives or takes what the
// tags' objects take or give, so that the header keeps its size where it can; a header
// written at a new size gets a padding object in its extension for the next edit.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanAsfSave(const SaveRequest& request, SavePlan& plan);
