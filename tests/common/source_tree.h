// Files of the source tree, as this Windows process sees them.
#pragma once
#include <string>

std::wstring SourceTreePath(const std::wstring& relative);
// The bytes of a file of the source tree; empty when it cannot be read.
std::string ReadSourceFile(const std::wstring& relative);
