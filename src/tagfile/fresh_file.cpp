#include "tagfile/fresh_file.h"

namespace {

// More files of such names than a user keeps by chance: past them, the folder is refused.
constexpr int kNames = 100;

}  // namespace

UniqueHandle CreateFreshFileBeside(const std::wstring& target, const wchar_t* suffix, DWORD attributes,
                                   std::wstring* name) {
    for (int n = 1; n <= kNames; ++n) {
        *name = target + suffix;
        if (n > 1) *name += L"-" + std::to_wstring(n);
        UniqueHandle file(
            CreateFileW(name->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
        if (file.IsValid()) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    name->clear();
    return UniqueHandle();
}
