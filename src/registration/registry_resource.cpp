#include "registration/registry_resource.h"

#include <memory>
#include <new>

#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"
#include "registration/server_registration.h"
#include "support/ansi_conversion.h"
#include "support/last_error.h"

namespace {

constexpr DWORD kPathSize = 260;

// The library's own file opened again as data: only its resources are read.
class DataFileModule {
public:
    explicit DataFileModule(const char* path) noexcept
        : module_(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    DataFileModule(const DataFileModule&) = delete;
    DataFileModule& operator=(const DataFileModule&) = delete;
    ~DataFileModule() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    HMODULE Get() const noexcept { return module_; }

private:
    HMODULE module_;
};

}  // namespace

void DoubleApostrophes(wchar_t* destination, const wchar_t* source) noexcept {
    for (; *source != 0; ++source) {
        *destination++ = *source;
        if (*source == L'\'') *destination++ = L'\'';
    }
    *destination = 0;
}

HRESULT RunResourceScript(ReplacementMap& map, const wchar_t* path, WORD resourceId, const wchar_t* type,
                          bool registerPass) noexcept {
    std::unique_ptr<char[]> ansiPath;
    std::unique_ptr<char[]> ansiType;
    HRESULT result = ConvertNameToAnsi(path, ansiPath);
    if (SUCCEEDED(result)) result = ConvertNameToAnsi(type, ansiType);
    if (FAILED(result)) return result;
    DataFileModule file(ansiPath.get());
    if (file.Get() == nullptr) return LastErrorResult();
    HRSRC found = FindResourceA(file.Get(), MAKEINTRESOURCEA(resourceId), ansiType.get());
    HGLOBAL loaded = found != nullptr ? LoadResource(file.Get(), found) : nullptr;
    if (loaded == nullptr) return LastErrorResult();
    // The resource holds no terminating NUL.
    const DWORD size = SizeofResource(file.Get(), found);
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(size) + 1]);
    if (!text) return E_OUTOFMEMORY;
    CopyMemory(text.get(), LockResource(loaded), size);
    text[size] = 0;
    RegistryScriptParser parser(&map);
    return parser.RunScript(text.get(), registerPass);
}

HRESULT ApplyRegistryResource(ServerModule* module, WORD resourceId, bool registerPass,
                              const ReplacementEntry* extras) noexcept {
    char fullPath[kPathSize] = {};
    GetModuleFileNameA(module->Instance, fullPath, kPathSize);
    const char* chosen = fullPath;
    char shortPath[kPathSize] = {};
    // Executables register their short path; a library always its full one.
    if (module->Instance == nullptr || module->Instance == GetModuleHandleA(nullptr)) {
        const DWORD n = GetShortPathNameA(fullPath, shortPath, kPathSize);
        if (n >= kPathSize) return E_OUTOFMEMORY;
        if (n != 0 && n != ERROR_INVALID_PARAMETER) chosen = shortPath;
    }
    std::unique_ptr<wchar_t[]> widePath;
    const HRESULT converted = ConvertToWide(chosen, widePath);
    if (FAILED(converted)) return converted;
    // The path stands inside a quoted script token, where each doubled quote reads as one.
    const size_t length = static_cast<size_t>(lstrlenW(widePath.get()));
    std::unique_ptr<wchar_t[]> doubled(new (std::nothrow) wchar_t[2 * length + 1]);
    if (!doubled) return E_OUTOFMEMORY;
    DoubleApostrophes(doubled.get(), widePath.get());
    ReplacementMap map;
    // The script cannot run without its module path; the extras are its own business.
    const HRESULT added = map.Add(L"Module", doubled.get());
    if (FAILED(added)) return added;
    for (const ReplacementEntry* extra = extras; extra != nullptr && extra->Name != nullptr; ++extra) {
        map.Add(extra->Name, extra->Value);
    }
    const HRESULT result = RunResourceScript(map, widePath.get(), resourceId, L"REGISTRY", registerPass);
    map.Clear();
    return result;
}
