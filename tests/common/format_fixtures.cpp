#include "common/format_fixtures.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "support/unique_handle.h"

std::wstring FormatFixturePath(const std::wstring& name) {
    const char* folder = std::getenv("TARVIK_FORMAT_FIXTURES");
    if (folder == nullptr) return L"";
    std::wstring path = L"Z:" + std::wstring(folder, folder + std::strlen(folder)) + L"/" + name;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::vector<unsigned char> ReadWholeFile(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) return {};
    std::vector<unsigned char> bytes(GetFileSize(file.Get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}
