// Open and SavePicture: the only calls of the TagFile object that touch files.  Each file
// is opened by the caller's wide name as it is, and only a file on a disk is read: a pipe
// or a device might never answer.  A failure is raised as error information that names
// the file and the reason, for a script's Err.Description.
#include "tagfile/tag_file_object.h"

#include <memory>
#include <new>

#include "formats/edit_keys.h"
#include "formats/media_format.h"
#include "tagfile/disk_file_source.h"
#include "tagfile/fresh_file.h"
#include "support/disk_file.h"
#include "support/interface_ptr.h"
#include "support/last_error.h"
#include "support/system_message.h"

namespace {

const wchar_t kSource[] = L"Tarvik.TagFile";

// The system's text for an error, without the line break it ends with; "" when none.
std::wstring DescribeError(HRESULT code) {
    const std::unique_ptr<wchar_t, decltype(&LocalFree)> text(AllocateSystemMessage(code), &LocalFree);
    std::wstring message(text ? text.get() : L"");
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

// Sets the thread's error information for a failure of ITagFile.
void RaiseErrorInfo(const std::wstring& description) {
    InterfacePtr<ICreateErrorInfo> made;
    if (FAILED(CreateErrorInfo(made.Receive()))) return;
    made->SetGUID(IID_ITagFile2);
    made->SetSource(const_cast<LPOLESTR>(kSource));
    made->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    InterfacePtr<IErrorInfo> info;
    if (SUCCEEDED(made.QueryInto(IID_IErrorInfo, info))) SetErrorInfo(0, info.Get());
}

}  // namespace

HRESULT TagFileObject::FailWithPath(HRESULT code, const wchar_t* action, const wchar_t* path, const wchar_t* reason) {
    try {
        std::wstring description = action;
        description += L" \"";
        description += path;
        description += L"\": ";
        description += reason != nullptr ? std::wstring(reason) : DescribeError(code);
        RaiseErrorInfo(description);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return code;
}

HRESULT STDMETHODCALLTYPE TagFileObject::Open(BSTR path) {
    const wchar_t* name = path != nullptr ? path : L"";
    SectionLock lock(StateLock);
    try {
        Tags.Clear();
        Edits.Clear();
        Path.clear();
        if (*name == 0) return FailWithPath(E_INVALIDARG, L"Cannot open", name, L"no file name was given");
        Path = name;
        return LoadTags();
    } catch (const std::bad_alloc&) {
        Tags.Clear();
        Path.clear();
        return E_OUTOFMEMORY;
    }
}

HRESULT TagFileObject::LoadTags() {
    HRESULT code = S_OK;
    HRESULT failure = S_OK;
    const UniqueHandle file = OpenDiskFileForReading(Path.c_str(), &code);
    uint32_t error = 0;
    if (code == kNotAFileOnADisk) {
        failure = FailWithPath(code, L"Cannot open", Path.c_str(), L"it is not a file on a disk");
    } else if (!file.IsValid()) {
        failure = FailWithPath(code, L"Cannot open", Path.c_str(), nullptr);
    } else if (DiskFileSource source(file.Get()); !ReadMediaFile(source, Tags, &error)) {
        failure = FailWithPath(error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL, L"Cannot read", Path.c_str(), nullptr);
    } else if (!GetFileTime(file.Get(), nullptr, nullptr, &OpenedWriteTime)) {
        failure = FailWithPath(LastErrorResult(), L"Cannot read", Path.c_str(), nullptr);
    }
    if (FAILED(failure)) {
        Tags.Clear();
        Path.clear();
    }
    if (!FormatNamed(Tags.Format, &Format)) Format = MediaFormat::Mp3;
    KeyedNames = KeyedFieldNames(Format);
    return failure;
}

HRESULT STDMETHODCALLTYPE TagFileObject::SavePicture(BSTR path, VARIANT_BOOL* saved) {
    if (saved == nullptr) return E_POINTER;
    *saved = VARIANT_FALSE;
    const wchar_t* target = path != nullptr ? path : L"";
    SectionLock lock(StateLock);
    if (Path.empty() || !Tags.HasPicture()) return S_OK;
    HRESULT code = S_OK;
    const UniqueHandle source = OpenDiskFileForReading(Path.c_str(), &code);
    if (!source.IsValid()) return FailWithPath(code, L"Cannot open", Path.c_str(), nullptr);
    try {
        // Written beside the target first, under a name no file holds, and moved over it
        // whole: a copy that fails on the way leaves whatever file the target was.
        std::wstring partial;
        UniqueHandle written = CreateFreshFileBeside(target, L".tarvik-partial", FILE_ATTRIBUTE_NORMAL, &partial);
        if (!written.IsValid()) return FailWithPath(LastErrorResult(), L"Cannot write", target, nullptr);
        DiskFileSource reader(source.Get());
        DiskFileSink writer(written.Get());
        uint32_t error = 0;
        const PictureCopy copy = CopyPicture(reader, Tags, writer, &error);
        written.Reset();
        if (copy == PictureCopy::Copied && !MoveFileExW(partial.c_str(), target, MOVEFILE_REPLACE_EXISTING)) {
            error = GetLastError();
            code = HRESULT_FROM_WIN32(error);
        }
        if (copy != PictureCopy::Copied || FAILED(code)) {
            DeleteFileW(partial.c_str());
            return FailPictureCopy(copy, error, target);
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *saved = VARIANT_TRUE;
    return S_OK;
}

// Each failure with its own reason: the read of the tagged file, its change since Open,
// or the write of the target, never a system error left over from an earlier call.
HRESULT TagFileObject::FailPictureCopy(PictureCopy copy, uint32_t error, const wchar_t* target) {
    const HRESULT system = error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
    switch (copy) {
        case PictureCopy::ReadFailed:
            return FailWithPath(system, L"Cannot read", Path.c_str(), nullptr);
        case PictureCopy::Changed:
        case PictureCopy::NoPicture:
            return FailWithPath(HRESULT_FROM_WIN32(ERROR_FILE_INVALID), L"Cannot read", Path.c_str(),
                                L"the file has changed since it was opened");
        default:
            return FailWithPath(system, L"Cannot write", target, nullptr);
    }
}
