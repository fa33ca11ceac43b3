#include "common/format_fixtures.h"

#include <cstdlib>
#include <cstring>

std::wstring FormatFixturePath(const std::wstring& name) {
    const char* folder = std::getenv("TARVIK_FORMAT_FIXTURES");
    if (folder == nullptr) return L"";
    return WindowsPathOfUnixPath(std::wstring(folder, folder + std::strlen(folder)) + L"/" + name);
}
