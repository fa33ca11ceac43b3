#include "registered_copy.h"

#include <gtest/gtest.h>

#include "common/loaded_server.h"
#include "common/process_runner.h"
#include "common/source_tree.h"

RegisteredCopy::RegisteredCopy(const std::wstring& folderName) : folder_(new ScratchFolder) {
    const std::wstring folder = folder_->MakeFolder(folderName);
    dll_ = folder + L"\\tarvik.DLL";
    if (!CopyFileW(LoadedServer::DllPath().c_str(), dll_.c_str(), FALSE)) ADD_FAILURE() << "cannot copy the DLL";
}

std::wstring RegisteredCopy::CopyIn(const std::wstring& sourceRelative, const std::wstring& name) const {
    const std::wstring target = folder_->Path() + L"\\" + name;
    if (!CopyFileW(SourceTreePath(sourceRelative).c_str(), target.c_str(), FALSE)) ADD_FAILURE() << "cannot copy";
    return target;
}

DWORD RegisteredCopy::RunRegsvr32(bool unregister) const {
    const std::wstring line = std::wstring(L"regsvr32 /s ") + (unregister ? L"/u " : L"") + L"\"" + dll_ + L"\"";
    return RunProgram(line).ExitCode;
}

HRESULT RegisteredCopy::CallExport(const char* name) const {
    HMODULE module = LoadLibraryW(dll_.c_str());
    if (module == nullptr) return HRESULT_FROM_WIN32(GetLastError());
    auto function = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    const HRESULT result = function != nullptr ? function() : E_NOTIMPL;
    FreeLibrary(module);
    return result;
}

RegistryTree ReadClassesKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    RegistryTree tree = RegistryTree::Read(key);
    RegCloseKey(key);
    return tree;
}

std::vector<RegistryTree> ReadRegistration() {
    return {ReadClassesKey(L"Tarvik.lumex.1"), ReadClassesKey(L"Tarvik.lumex"),
            ReadClassesKey(L"CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}"),
            ReadClassesKey(L"TypeLib\\{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}")};
}
