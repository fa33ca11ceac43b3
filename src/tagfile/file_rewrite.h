// The two ways a save reaches the disk, each leaving the old file or the new one and
// nothing between: a run within one page rewritten in place in one write, or a whole new
// file written beside the original and renamed over it in one step (save_plan.h decides).
#pragma once
#include <windows.h>

#include <string>

#include "formats/save_plan.h"
#include "support/unique_handle.h"

// The plan's in-place run over the old bytes, in one write, then flushed.  A write that
// fails puts the old bytes back as far as the system lets it.
HRESULT WriteInPlace(HANDLE file, const SavePlan& plan);

// The new file beside path (the file's own path, a link's target resolved), under a name no
// file holds ("<path>.tarvik-new", else with a number): the plan's pieces, runs of them
// read from original; given the original's attributes, creation time and security
// descriptor (a descriptor that cannot be read fails the save before anything is written),
// flushed, and moved over path once original is closed.  On any failure the new file is
// removed and path is as it was.
HRESULT WriteNewFile(const std::wstring& path, UniqueHandle& original, const SavePlan& plan);
