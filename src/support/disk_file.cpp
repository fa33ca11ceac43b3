#include "support/disk_file.h"

#include "support/last_error.h"

namespace {

UniqueHandle OpenDiskFile(const wchar_t* path, DWORD access, DWORD sharing, HRESULT* code) noexcept {
    UniqueHandle file(CreateFileW(path, access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        *code = LastErrorResult();
    } else if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        *code = kNotAFileOnADisk;
        file.Reset();
    }
    return file;
}

}  // namespace

UniqueHandle OpenDiskFileForReading(const wchar_t* path, HRESULT* code) noexcept {
    return OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ, code);
}

UniqueHandle OpenDiskFileExclusively(const wchar_t* path, HRESULT* code) noexcept {
    return OpenDiskFile(path, GENERIC_READ | GENERIC_WRITE, 0, code);
}
