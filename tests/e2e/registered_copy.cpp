#include "e2e/registered_copy.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/loaded_server.h"
#include "support/process_runner.h"

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

void DumpKey(HKEY key, const std::wstring& path, std::string& out) {
    out += "[" + Narrow(path) + "]\n";
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameSize = 512;
        DWORD type = 0;
        BYTE data[2048];
        DWORD dataSize = sizeof data;
        if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        out += "  " + (nameSize == 0 ? std::string("@") : Narrow(name)) + " type " + std::to_string(type) + " = ";
        if (type == REG_SZ) {
            out += Narrow(std::wstring(reinterpret_cast<wchar_t*>(data), dataSize / sizeof(wchar_t)).c_str());
        } else {
            out += std::to_string(dataSize) + " bytes";
        }
        out += "\n";
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameSize = 256;
        if (RegEnumKeyExW(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.emplace_back(name);
    }
    for (const std::wstring& child : children) {
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        DumpKey(sub, path + L"\\" + child, out);
        RegCloseKey(sub);
    }
}

}  // namespace

RegisteredCopy::RegisteredCopy() : folder_(new ScratchFolder) {
    const std::wstring folder = folder_->MakeFolder(L"it's a folder with spaces");
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

std::string DumpClassesKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "[" + Narrow(path) + "] absent\n";
    }
    std::string out;
    DumpKey(key, path, out);
    RegCloseKey(key);
    return out;
}

std::string DumpRegistration() {
    return DumpClassesKey(L"Tarvik.lumex.1") + DumpClassesKey(L"Tarvik.lumex") +
           DumpClassesKey(L"CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}") +
           DumpClassesKey(L"TypeLib\\{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}");
}
