#include "support/disk_file.h"

#include "support/last_error.h"

UniqueHandle OpenDiskFileForReading(const wchar_t* path, HRESULT* code) noexcept {
    UniqueHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        *code = LastErrorResult();
    } else if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        *code = kNotAFileOnADisk;
        file.Reset();
    }
    return file;
}
