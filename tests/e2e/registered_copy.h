// A copy of tarvik.DLL in a folder whose name holds spaces and an apostrophe, with the
// registry read back as text for comparison.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "support/temp_files.h"

class RegisteredCopy {
public:
    RegisteredCopy();
    const std::wstring& Dll() const { return dll_; }
    std::wstring Folder() const { return folder_->Path() + L"\\"; }
    std::wstring CopyIn(const std::wstring& sourceRelative, const std::wstring& name) const;
    // Runs regsvr32 /s (and /u when unregistering) on the copy; its exit code.
    DWORD RunRegsvr32(bool unregister) const;
    // Calls the copy's own export in this process.
    HRESULT CallExport(const char* name) const;

private:
    std::unique_ptr<ScratchFolder> folder_;
    std::wstring dll_;
};

// Every key and value below HKCR\<path>, one line each, or "absent".
std::string DumpClassesKey(const std::wstring& path);
// The four trees that registration writes.
std::string DumpRegistration();
