// Registering the type library that the module's own file holds.
#include <string>

#include "registration/server_registration.h"
#include "support/interface_ptr.h"
#include "support/unique_bstr.h"

namespace {

constexpr int kPathSize = 260;
constexpr int kTypeLibPathSize = 272;
constexpr int kHelpDirectorySize = 264;

HRESULT LoadTypeLibFromAnsi(const char* path, ITypeLib** typeLib, std::wstring& widePath) {
    wchar_t wide[kTypeLibPathSize] = {};
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, kTypeLibPathSize);
    widePath = wide;
    return LoadTypeLib(wide, typeLib);
}

// Puts ".tlb" in place of the extension: from the last "." on, or at the end if none.
void ReplaceExtensionWithTlb(char* path) {
    char* lastDot = nullptr;
    for (char* p = path; *p != 0; p = CharNextA(p)) {
        if (*p == '.') lastDot = p;
    }
    if (lastDot == nullptr) {
        lstrcatA(path, ".tlb");
    } else {
        lstrcpyA(lastDot, ".tlb");
    }
}

int DirectoryPartLength(const wchar_t* path) {
    int length = 0;
    for (int i = 0; path[i] != 0; ++i) {
        if (path[i] == L'\\' || path[i] == L'/' || path[i] == L':') length = i + 1;
    }
    return length;
}

}  // namespace

HRESULT OpenModuleTypeLibrary(ServerModule* module, const wchar_t* suffix, BSTR* path, ITypeLib** typeLib) {
    *path = nullptr;
    *typeLib = nullptr;
    char file[kTypeLibPathSize] = {};
    GetModuleFileNameA(module->TypeLibInstance, file, kPathSize);
    if (suffix != nullptr) {
        char ansiSuffix[kTypeLibPathSize - kPathSize] = {};
        WideCharToMultiByte(CP_ACP, 0, suffix, -1, ansiSuffix, sizeof ansiSuffix, nullptr, nullptr);
        lstrcatA(file, ansiSuffix);
    }
    std::wstring loaded;
    HRESULT result = LoadTypeLibFromAnsi(file, typeLib, loaded);
    if (FAILED(result)) {
        ReplaceExtensionWithTlb(file);
        result = LoadTypeLibFromAnsi(file, typeLib, loaded);
        if (FAILED(result)) return result;
    }
    *path = SysAllocString(loaded.c_str());
    return result;
}

HRESULT InstallModuleTypeLibrary(ServerModule* module, const wchar_t* suffix) {
    UniqueBstr path;
    InterfacePtr<ITypeLib> typeLib;
    HRESULT result = OpenModuleTypeLibrary(module, suffix, path.Receive(), typeLib.Receive());
    if (FAILED(result)) return result;
    // The help directory keeps its trailing separator.
    wchar_t helpDirectory[kHelpDirectorySize] = {};
    lstrcpynW(helpDirectory, path.Get(), kHelpDirectorySize);
    helpDirectory[DirectoryPartLength(helpDirectory)] = 0;
    return RegisterTypeLib(typeLib.Get(), path.Get(), helpDirectory);
}

HRESULT RemoveModuleTypeLibrary(ServerModule* module, const wchar_t* suffix) {
    UniqueBstr path;
    InterfacePtr<ITypeLib> typeLib;
    const HRESULT result = OpenModuleTypeLibrary(module, suffix, path.Receive(), typeLib.Receive());
    if (FAILED(result)) return result;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(typeLib->GetLibAttr(&attributes))) {
        // Looked up at run time: where the system lacks it, the library stays registered.
        using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
        if (HMODULE oleaut = LoadLibraryA("oleaut32.dll")) {
            auto unregister = reinterpret_cast<UnRegisterTypeLibFunction>(
                reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
            if (unregister != nullptr) {
                unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                           attributes->syskind);
            }
            FreeLibrary(oleaut);
        }
        typeLib->ReleaseTLibAttr(attributes);
    }
    return result;
}
