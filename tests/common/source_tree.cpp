#include "common/source_tree.h"

#include <windows.h>

#include "support/unique_handle.h"

std::wstring SourceTreePath(const std::wstring& relative) {
    // The default prefix maps drive Z: to the Unix root.
    std::wstring path = L"Z:" TARVIK_SOURCE_DIR L"/" + relative;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::string ReadSourceFile(const std::wstring& relative) {
    UniqueHandle file(CreateFileW(SourceTreePath(relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) return {};
    std::string bytes(GetFileSize(file.Get(), nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}
