#include "registration/registry_resource.h"

#include <memory>
#include <new>
#include <string>

#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"
#include "registration/server_registration.h"
#include "support/ansi_conversion.h"
#include "support/last_error.h"

namespace {

constexpr int kPathSize = 260;

std::wstring ToWide(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
    out.resize(lstrlenW(out.c_str()));
    return out;
}

// An empty text where the conversion fails: the open that follows then fails too.
std::string ToAnsi(const wchar_t* text) {
    std::unique_ptr<char[]> ansi;
    return SUCCEEDED(ConvertToAnsi(text, ansi)) ? std::string(ansi.get()) : std::string();
}

class DataFileModule {
public:
    explicit DataFileModule(const char* path) : module_(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    DataFileModule(const DataFileModule&) = delete;
    DataFileModule& operator=(const DataFileModule&) = delete;
    ~DataFileModule() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

}  // namespace

void DoubleApostrophes(wchar_t* destination, const wchar_t* source) {
    for (; *source != 0; ++source) {
        *destination++ = *source;
        if (*source == L'\'') *destination++ = L'\'';
    }
    *destination = 0;
}

HRESULT RunResourceScript(ReplacementMap& map, const wchar_t* path, WORD resourceId, const wchar_t* type,
                          bool registerPass) {
    const std::string ansiPath = ToAnsi(path);
    const std::string ansiType = ToAnsi(type);
    DataFileModule file(ansiPath.c_str());
    if (file.Get() == nullptr) return LastErrorResult();
    HRSRC found = FindResourceA(file.Get(), MAKEINTRESOURCEA(resourceId), ansiType.c_str());
    HGLOBAL loaded = found != nullptr ? LoadResource(file.Get(), found) : nullptr;
    if (loaded == nullptr) return LastErrorResult();
    // The resource holds no terminating NUL.
    const DWORD size = SizeofResource(file.Get(), found);
    std::unique_ptr<char[]> text(new (std::nothrow) char[size + 1]);
    if (!text) return E_OUTOFMEMORY;
    CopyMemory(text.get(), LockResource(loaded), size);
    text[size] = 0;
    RegistryScriptParser parser(&map);
    return parser.RunScript(text.get(), registerPass);
}

HRESULT ApplyRegistryResource(ServerModule* module, WORD resourceId, bool registerPass,
                              const ReplacementEntry* extras) {
    ReplacementMap map;
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
    const std::wstring widePath = ToWide(chosen);
    std::wstring doubled(2 * widePath.size() + 1, L'\0');
    DoubleApostrophes(&doubled[0], widePath.c_str());
    map.Add(L"Module", doubled.c_str());
    for (const ReplacementEntry* extra = extras; extra != nullptr && extra->Name != nullptr; ++extra) {
        map.Add(extra->Name, extra->Value);
    }
    const HRESULT result = RunResourceScript(map, widePath.c_str(), resourceId, L"REGISTRY", registerPass);
    map.Clear();
    return result;
}
