#include "tagfile/file_rewrite.h"

#include <aclapi.h>

#include <algorithm>
#include <memory>

#include "support/last_error.h"
#include "tagfile/disk_file_source.h"
#include "tagfile/fresh_file.h"

namespace {

// What a file keeps of its attributes when it is written anew.
constexpr DWORD kCopiedAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool WriteAll(HANDLE file, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!WriteFile(file, bytes, ask, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

bool WriteAt(HANDLE file, uint64_t offset, const std::vector<uint8_t>& bytes) {
    return SeekTo(file, offset) && WriteAll(file, bytes.data(), bytes.size());
}

const SECURITY_INFORMATION kCopiedSecurity =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// The original's owner, group and access list, read before anything is written: a file that
// would take the folder's inherited permissions instead is not saved.  A volume that keeps
// no access lists (FAT) has nothing to copy: empty then.
class OriginalSecurity {
public:
    ~OriginalSecurity() {
        if (descriptor_ != nullptr) LocalFree(descriptor_);
    }
    // False with the system's error set.
    bool Read(HANDLE original) {
        DWORD flags = 0;
        if (!GetVolumeInformationByHandleW(original, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return false;
        if ((flags & FILE_PERSISTENT_ACLS) == 0) return true;
        const DWORD error = GetSecurityInfo(original, SE_FILE_OBJECT, kCopiedSecurity, nullptr, nullptr, nullptr,
                                            nullptr, &descriptor_);
        if (error == ERROR_SUCCESS && descriptor_ != nullptr) return true;
        descriptor_ = nullptr;
        SetLastError(error != ERROR_SUCCESS ? error : ERROR_INVALID_SECURITY_DESCR);
        return false;
    }
    // Onto the new file; where the owner cannot be given (another user's file), the access
    // list alone.
    bool CopyTo(const std::wstring& to) const {
        if (descriptor_ == nullptr) return true;
        return SetFileSecurityW(to.c_str(), kCopiedSecurity, descriptor_) ||
               SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor_);
    }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

// Everything of the new file up to its rename; false with the system's error set.
bool FillNewFile(HANDLE original, HANDLE written, const SavePlan& plan) {
    DiskFileSource source(original);
    DiskFileSink sink(written);
    uint32_t error = 0;
    if (!WritePlannedFile(source, plan, sink, &error)) {
        SetLastError(error != 0 ? error : ERROR_HANDLE_EOF);  // 0: the file ended before a run of it did
        return false;
    }
    FILETIME created{};
    return GetFileTime(original, &created, nullptr, nullptr) && SetFileTime(written, &created, nullptr, nullptr) &&
           FlushFileBuffers(written);
}

}  // namespace

HRESULT WriteInPlace(HANDLE file, const SavePlan& plan) {
    std::vector<uint8_t> old(plan.InPlaceBytes.size());
    DWORD read = 0;
    if (!SeekTo(file, plan.InPlaceOffset) ||
        !ReadFile(file, old.data(), static_cast<DWORD>(old.size()), &read, nullptr)) {
        return LastErrorResult();
    }
    old.resize(read);
    if (WriteAt(file, plan.InPlaceOffset, plan.InPlaceBytes) && FlushFileBuffers(file)) return S_OK;
    const HRESULT failure = LastErrorResult();
    if (WriteAt(file, plan.InPlaceOffset, old)) FlushFileBuffers(file);
    return failure;
}

HRESULT WriteNewFile(const std::wstring& path, UniqueHandle& original, const SavePlan& plan) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrorResult();
    OriginalSecurity security;
    if (!security.Read(original.Get())) return LastErrorResult();
    const DWORD copied = attributes & kCopiedAttributes;
    std::wstring partial;
    UniqueHandle written =
        CreateFreshFileBeside(path, L".tarvik-new", copied != 0 ? copied : FILE_ATTRIBUTE_NORMAL, &partial);
    if (!written.IsValid()) return LastErrorResult();
    HRESULT result = S_OK;
    try {
        if (!FillNewFile(original.Get(), written.Get(), plan)) result = LastErrorResult();
        written.Reset();
        if (SUCCEEDED(result) && !security.CopyTo(partial)) result = LastErrorResult();
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    }
    written.Reset();
    if (SUCCEEDED(result)) {
        original.Reset();
        if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            result = LastErrorResult();
        }
    }
    if (FAILED(result)) DeleteFileW(partial.c_str());  // made by this save, under a name nothing held
    return result;
}
