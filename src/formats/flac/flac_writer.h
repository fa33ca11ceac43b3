// The FLAC writer: the VORBIS_COMMENT and PICTURE blocks rewritten from the edits, every
// other metadata block (STREAMINFO, SEEKTABLE, CUESHEET, APPLICATION, unknown ones) and the
// audio frames kept byte for byte, an ID3v2 tag in front of "fLaC" kept as it is.
//
// In place where the new blocks fit the old ones and the PADDING beside them: the padding
// gives or takes what the blocks grew or shrank (left at size 0, or removed where taken
// whole), so every other block keeps its offset.  Else the metadata is laid out anew for
// the next edit to go in place: STREAMINFO and the other kept blocks in their order, the
// pictures, the comment block, then kFreshFlacPadding bytes of padding.
#pragma once
#include <cstdint>

#include "formats/save_request.h"

// The padding a file written anew keeps for later edits, as flac(1) leaves by default.
constexpr uint32_t kFreshFlacPadding = 8192;

SaveVerdict PlanFlacSave(const SaveRequest& request, SavePlan& plan);
