#include "common/source_tree.h"

#include <windows.h>

#include "support/unique_handle.h"

std::wstring WindowsPathOfUnixPath(const std::wstring& unixPath) {
    std::wstring path = L"Z:" + unixPath;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::wstring SourceTreePath(const std::wstring& relative) {
    return WindowsPathOfUnixPath(TARVIK_SOURCE_DIR L"/" + relative);
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

std::string ReadSourceFile(const std::wstring& relative) {
    const std::vector<unsigned char> bytes = ReadWholeFile(SourceTreePath(relative));
    return std::string(bytes.begin(), bytes.end());
}
