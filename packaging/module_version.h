// The product version in a module's version block, as "major.minor.build.revision".
#pragma once
#include <string>

// Empty when the file has no version block.
std::wstring ReadProductVersion(const std::wstring& path);
