// The files that LAME and mutagen make at test time (tests/formats/make-fixtures.sh), as
// this Windows process sees them: CTest names their Unix folder in TARVIK_FORMAT_FIXTURES.
#pragma once
#include <string>

#include "common/source_tree.h"

// The fixture's Windows path; "" when no folder is named.
std::wstring FormatFixturePath(const std::wstring& name);
