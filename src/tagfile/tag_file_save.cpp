// Save: the changes written so that the file is, at every moment, the old file or the new
// one.  The file is opened shared with nobody, and every check is made under that handle:
// read-only, changed since Open (size or last write); the format's writer plans the rest.
// A refused or failed save leaves the file as it was and the changes in the object.
#include "tagfile/tag_file_object.h"

#include <new>

#include "formats/media_format.h"
#include "support/disk_file.h"
#include "support/last_error.h"
#include "tagfile/code_page_encoder.h"
#include "tagfile/disk_file_source.h"
#include "tagfile/file_rewrite.h"

namespace {

const wchar_t kCannotSave[] = L"Cannot save";

bool SameTime(const FILETIME& a, const FILETIME& b) noexcept {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

HRESULT STDMETHODCALLTYPE TagFileObject::Save() {
    SectionLock lock(StateLock);
    try {
        if (Path.empty()) return FailWithPath(E_UNEXPECTED, kCannotSave, L"", L"no file has been opened");
        if (Edits.Empty()) return S_OK;
        if (Tags.Format.empty()) {
            return FailWithPath(HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED), kCannotSave, Path.c_str(),
                                L"it holds neither a tag nor MPEG audio");
        }
        const DWORD attributes = GetFileAttributesW(Path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return FailWithPath(LastErrorResult(), kCannotSave, Path.c_str(), nullptr);
        }
        // An administrator's process may be let write a read-only file: the attribute decides.
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            return FailWithPath(HRESULT_FROM_WIN32(ERROR_FILE_READ_ONLY), kCannotSave, Path.c_str(),
                                L"the file is read-only");
        }
        HRESULT code = S_OK;
        UniqueHandle file = OpenDiskFileExclusively(Path.c_str(), &code);
        if (code == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION)) {
            return FailWithPath(code, kCannotSave, Path.c_str(), L"another program has the file open");
        }
        if (code == kNotAFileOnADisk) {
            return FailWithPath(code, kCannotSave, Path.c_str(), L"it is not a file on a disk");
        }
        if (!file.IsValid()) return FailWithPath(code, kCannotSave, Path.c_str(), nullptr);
        return SaveOpenedFile(file);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT TagFileObject::FailRefusedSave(const SaveVerdict& verdict) {
    if (verdict.Refusal == SaveRefusal::ReadFailed) {
        return FailWithPath(verdict.Error != 0 ? HRESULT_FROM_WIN32(verdict.Error) : E_FAIL, kCannotSave, Path.c_str(),
                            nullptr);
    }
    const DWORD code = verdict.Refusal == SaveRefusal::Damaged    ? ERROR_FILE_CORRUPT
                       : verdict.Refusal == SaveRefusal::TooLarge ? ERROR_FILE_TOO_LARGE
                                                                  : ERROR_NOT_SUPPORTED;
    const std::wstring reason(verdict.Reason.begin(), verdict.Reason.end());
    return FailWithPath(HRESULT_FROM_WIN32(code), kCannotSave, Path.c_str(), reason.c_str());
}

HRESULT TagFileObject::SaveOpenedFile(UniqueHandle& file) {
    FILETIME written{};
    LARGE_INTEGER size{};
    if (!GetFileTime(file.Get(), nullptr, nullptr, &written) || !GetFileSizeEx(file.Get(), &size)) {
        return FailWithPath(LastErrorResult(), kCannotSave, Path.c_str(), nullptr);
    }
    // The reader noted the size it read in the picture's location, whether or not there is one.
    if (!SameTime(written, OpenedWriteTime) || static_cast<uint64_t>(size.QuadPart) != Tags.Picture.FileSize) {
        return FailWithPath(HRESULT_FROM_WIN32(ERROR_FILE_INVALID), kCannotSave, Path.c_str(),
                            L"the file has changed since it was opened (saving would undo that change)");
    }
    DiskFileSource source(file.Get());
    SystemCodePageEncoder encoder;
    SavePlan plan;
    const SaveVerdict verdict = PlanMediaSave(source, Edits, encoder, plan);
    if (!verdict.Ok()) return FailRefusedSave(verdict);
    HRESULT result = S_OK;
    if (plan.Way == SaveWay::InPlace) {
        result = WriteInPlace(file.Get(), plan);
    } else if (plan.Way == SaveWay::NewFile) {
        result = WriteNewFile(Path, file, plan);
    }
    if (FAILED(result)) return FailWithPath(result, kCannotSave, Path.c_str(), nullptr);
    file.Reset();
    // The object now holds what the file holds, as if opened again.
    Edits.Clear();
    return LoadTags();
}
