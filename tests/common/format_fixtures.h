// The files that LAME and mutagen make at test time (tests/formats/make-fixtures.sh), as
// this Windows process sees them: CTest names their Unix folder in TARVIK_FORMAT_FIXTURES.
#pragma once
#include <string>
#include <vector>

// The fixture's Windows path (drive Z: is the Unix root); "" when no folder is named.
std::wstring FormatFixturePath(const std::wstring& name);

// Every byte of a file; empty when it cannot be read.
std::vector<unsigned char> ReadWholeFile(const std::wstring& path);
