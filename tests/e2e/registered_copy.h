// A copy of tarvik.DLL in a folder whose name holds spaces and an apostrophe, and the
// registry trees that registering it writes.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/registry_tree.h"
#include "common/temp_files.h"

class RegisteredCopy {
public:
    // The copy lies in a folder of the given name.
    explicit RegisteredCopy(const std::wstring& folderName = L"it's a folder with spaces");
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

// The tree below HKCR\<path>; empty when the key is absent.
RegistryTree ReadClassesKey(const std::wstring& path);
// The four trees that registration writes.
std::vector<RegistryTree> ReadRegistration();
