// The two ways a save reaches the disk, each leaving the old file or the new one and
// nothing between: the tag area rewritten in place in one write, or a whole new file
// written beside the original and renamed over it in one step.
#pragma once
#include <windows.h>

#include <string>

#include "support/unique_handle.h"
#include "tagwrite/save_plan.h"

// The new tag over the old one at the start of file, in one write, then flushed.  A write
// that fails puts the old bytes back as far as the system lets it.
HRESULT WriteTagInPlace(HANDLE file, const SavePlan& plan, const std::vector<uint8_t>& oldTag);

// The new file beside path ("<path>.tarvik-new"): the plan's tag, the kept run read from
// original, the ID3v1 tag; given the original's attributes, creation time and security
// descriptor, flushed, and moved over path once original is closed.  On any failure the
// new file is removed and path is as it was.
HRESULT WriteNewFile(const std::wstring& path, UniqueHandle& original, const SavePlan& plan);
