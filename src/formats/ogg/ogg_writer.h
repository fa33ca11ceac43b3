// The Ogg writer (Vorbis and Opus): the comment packet of the first audio stream rewritten
// (pictures as METADATA_BLOCK_PICTURE fields), its header pages laid out again, and the
// pages after them streamed as they were, renumbered only where the header pages are more
// or fewer than before.  Every audio packet and granule position stays as it was; the other
// streams of a multiplexed or chained file are kept byte for byte.
#pragma once
#include "formats/save_request.h"

SaveVerdict PlanOggSave(const SaveRequest& request, SavePlan& plan);
