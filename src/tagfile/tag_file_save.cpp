// Save: the changes written so that the file is, at every moment, the old file or the new
// one.  The file is opened shared with nobody, and every check is made under that handle:
// read-only, changed since Open (size or last write); the format's writer plans the rest.
// A refused or failed save leaves the file as it was and the changes in the object.
//
// A new file is written beside the file the handle reached, a symbolic link's target, and
// renamed over it, so that a link stays a link.  A file of several names (hard links) is
// saved only in place: a rename would give one of its names a new file and leave the
// others the old one.
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

// The path of the file itself that the handle reached, every link on the way resolved
// ("\\?\C:\..."); false with the system's error set.
bool FinalPathOf(HANDLE file, std::wstring* path) {
    for (DWORD size = MAX_PATH;;) {
        path->resize(size);
        const DWORD length = GetFinalPathNameByHandleW(file, &(*path)[0], size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return false;
        if (length < size) {
            path->resize(length);
            return true;
        }
        size = length + 1;
    }
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
        BY_HANDLE_FILE_INFORMATION information{};
        std::wstring target;
        if (!GetFileInformationByHandle(file.Get(), &information) || !FinalPathOf(file.Get(), &target)) {
            return FailWithPath(LastErrorResult(), kCannotSave, Path.c_str(), nullptr);
        }
        if (information.nNumberOfLinks > 1) {
            return FailWithPath(HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED), kCannotSave, Path.c_str(),
                                L"the file has other names (hard links), and this change needs a new file, "
                                L"which they would not share");
        }
        result = WriteNewFile(target, file, plan);
    }
    if (FAILED(result)) return FailWithPath(result, kCannotSave, Path.c_str(), nullptr);
    file.Reset();
    Edits.Clear();
    ReadBackSavedFile();
    return S_OK;
}

void TagFileObject::ReadBackSavedFile() {
    // The object now holds what the file holds, as if opened again.  The save stands even
    // where that read fails: the object keeps its path and shows what it showed, and the
    // next Open reads the file (a further Save is refused as the file changed since).
    const std::wstring path = Path;
    MediaTags shown = Tags;
    const MediaFormat format = Format;
    const FieldNames* const keyedNames = KeyedNames;
    if (SUCCEEDED(LoadTags())) return;
    Path = path;
    Tags = std::move(shown);
    Format = format;
    KeyedNames = keyedNames;
    SetErrorInfo(0, nullptr);
}
