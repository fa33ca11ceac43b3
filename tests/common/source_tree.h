// Files of the source tree, and other files of the Unix side, as this Windows process sees
// them (drive Z: is the Unix root).
#pragma once
#include <string>
#include <vector>

// The Windows path of a Unix path.
std::wstring WindowsPathOfUnixPath(const std::wstring& unixPath);
std::wstring SourceTreePath(const std::wstring& relative);
// Every byte of a file; empty when it cannot be read.
std::vector<unsigned char> ReadWholeFile(const std::wstring& path);
// The bytes of a file of the source tree; empty when it cannot be read.
std::string ReadSourceFile(const std::wstring& relative);
