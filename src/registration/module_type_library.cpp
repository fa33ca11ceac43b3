// Registering the type library that the module's own file holds.
#include <memory>

#include "registration/server_registration.h"
#include "support/ansi_conversion.h"
#include "support/interface_ptr.h"
#include "support/unique_bstr.h"

namespace {

constexpr DWORD kPathSize = 260;
constexpr int kTypeLibPathSize = 272;
constexpr int kHelpDirectorySize = 264;
// Every path handed to LoadTypeLib stays within the platform's path limit: a suffix or a
// ".tlb" that would take it further is not appended.
constexpr int kLongestLoadablePath = MAX_PATH - 1;
const char kCompanionExtension[] = ".tlb";

// wide receives the path as LoadTypeLib was given it.
HRESULT LoadTypeLibFromAnsi(const char* path, ITypeLib** typeLib, std::unique_ptr<wchar_t[]>& wide) noexcept {
    const HRESULT converted = ConvertToWide(path, wide);
    if (FAILED(converted)) return converted;
    return LoadTypeLib(wide.get(), typeLib);
}

// Appends the suffix in the ANSI code page, provided the path stays loadable.
HRESULT AppendSuffix(char* path, const wchar_t* suffix) noexcept {
    std::unique_ptr<char[]> ansi;
    const HRESULT converted = ConvertNameToAnsi(suffix, ansi);
    if (FAILED(converted)) return converted;
    if (lstrlenA(path) + lstrlenA(ansi.get()) > kLongestLoadablePath) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    lstrcatA(path, ansi.get());
    return S_OK;
}

// Puts ".tlb" in place of the extension: from the last "." on, or at the end if none.
// False, and the path unchanged, when the result would not be loadable.
bool ReplaceExtensionWithTlb(char* path) noexcept {
    char* lastDot = nullptr;
    char* end = path;
    for (; *end != 0; end = CharNextA(end)) {
        if (*end == '.') lastDot = end;
    }
    char* at = lastDot != nullptr ? lastDot : end;
    if ((at - path) + static_cast<int>(sizeof kCompanionExtension) - 1 > kLongestLoadablePath) return false;
    CopyMemory(at, kCompanionExtension, sizeof kCompanionExtension);
    return true;
}

int DirectoryPartLength(const wchar_t* path) noexcept {
    int length = 0;
    for (int i = 0; path[i] != 0; ++i) {
        if (path[i] == L'\\' || path[i] == L'/' || path[i] == L':') length = i + 1;
    }
    return length;
}

}  // namespace

HRESULT OpenModuleTypeLibrary(ServerModule* module, const wchar_t* suffix, BSTR* path, ITypeLib** typeLib) noexcept {
    *path = nullptr;
    *typeLib = nullptr;
    char file[kTypeLibPathSize] = {};
    GetModuleFileNameA(module->TypeLibInstance, file, kPathSize);
    if (suffix != nullptr) {
        const HRESULT appended = AppendSuffix(file, suffix);
        if (FAILED(appended)) return appended;
    }
    std::unique_ptr<wchar_t[]> loaded;
    InterfacePtr<ITypeLib> library;
    HRESULT result = LoadTypeLibFromAnsi(file, library.Receive(), loaded);
    if (FAILED(result)) {
        if (!ReplaceExtensionWithTlb(file)) return result;
        result = LoadTypeLibFromAnsi(file, library.Receive(), loaded);
        if (FAILED(result)) return result;
    }
    *path = SysAllocString(loaded.get());
    if (*path == nullptr) return E_OUTOFMEMORY;
    *typeLib = library.Detach();
    return result;
}

HRESULT InstallModuleTypeLibrary(ServerModule* module, const wchar_t* suffix) noexcept {
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

HRESULT RemoveModuleTypeLibrary(ServerModule* module, const wchar_t* suffix) noexcept {
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
