#include "tagfile/file_rewrite.h"

#include <algorithm>
#include <memory>

#include "support/last_error.h"
#include "tagfile/disk_file_source.h"

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

// The original's owner, group and access list on the new file; where the owner cannot be
// given (another user's file), its access list alone.  A file system without security
// (FAT) has nothing to copy.
bool CopySecurity(const std::wstring& from, const std::wstring& to) {
    const SECURITY_INFORMATION all = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityW(from.c_str(), all, nullptr, 0, &needed);
    if (needed == 0) return true;
    std::unique_ptr<uint8_t[]> descriptor(new uint8_t[needed]);
    if (!GetFileSecurityW(from.c_str(), all, descriptor.get(), needed, &needed)) return true;
    return SetFileSecurityW(to.c_str(), all, descriptor.get()) ||
           SetFileSecurityW(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.get());
}

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
    const std::wstring partial = path + L".tarvik-new";
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastErrorResult();
    // A file left by a save that was killed is in the way.
    DeleteFileW(partial.c_str());
    const DWORD copied = attributes & kCopiedAttributes;
    UniqueHandle written(CreateFileW(partial.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     copied != 0 ? copied : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written.IsValid()) return LastErrorResult();
    HRESULT result = S_OK;
    try {
        if (!FillNewFile(original.Get(), written.Get(), plan)) result = LastErrorResult();
        written.Reset();
        if (SUCCEEDED(result) && !CopySecurity(path, partial)) result = LastErrorResult();
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
    if (FAILED(result)) DeleteFileW(partial.c_str());
    return result;
}
