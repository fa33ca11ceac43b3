// Registers tarvik.DLL in this process (exactly what regsvr32 does: DllRegisterServer),
// records every key and value the registration wrote below HKEY_CLASSES_ROOT, checks
// that DllUnregisterServer gives the registry back as it was, and writes the registration
// as registry rows for the Windows Installer package of this process's architecture.
// Prints the library's product version.
//
//   registration_rows LIBRARY LIBRARY_ROWS.wxi TYPELIB_ROWS.wxi
//
// The row references name the files and folders of packaging/tarvik.wxs.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "installer_rows.h"
#include "module_version.h"
#include "registry_snapshot.h"

namespace {

using RegistrationExport = HRESULT(STDAPICALLTYPE*)();

int Fail(const std::wstring& message) {
    std::fwprintf(stderr, L"registration_rows: %ls\n", message.c_str());
    return 1;
}

HRESULT CallExport(HMODULE library, const char* name) {
    auto function = reinterpret_cast<RegistrationExport>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr ? function() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

std::wstring FullPath(const wchar_t* path) {
    wchar_t full[MAX_PATH];
    const DWORD size = GetFullPathNameW(path, MAX_PATH, full, nullptr);
    return size > 0 && size < MAX_PATH ? std::wstring(full, size) : std::wstring(path);
}

bool WriteFile(const wchar_t* path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::wstring Hex(HRESULT result) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return text;
}

// A 64-bit process sees the 32-bit view of the classes as the subkey Wow6432Node, where
// the keys shared by both views appear a second time: that view is the 32-bit package's.
RegistrySnapshot ReadClasses() { return RegistrySnapshot::Read(HKEY_CLASSES_ROOT, L"Wow6432Node"); }

// What registering writes, and the proof that unregistering takes it away again.
int RecordRegistration(const std::wstring& path, RegistrySnapshot& before, RegistrySnapshot& registered) {
    HMODULE library = LoadLibraryW(path.c_str());
    if (library == nullptr) return Fail(L"cannot load " + path);
    // A registration left from an earlier run would hide the keys that registering creates.
    CallExport(library, "DllUnregisterServer");
    before = ReadClasses();
    const HRESULT registeredResult = CallExport(library, "DllRegisterServer");
    registered = ReadClasses();
    const HRESULT unregisteredResult = CallExport(library, "DllUnregisterServer");
    const RegistrySnapshot after = ReadClasses();
    FreeLibrary(library);
    if (FAILED(registeredResult)) return Fail(L"DllRegisterServer failed: " + Hex(registeredResult));
    if (FAILED(unregisteredResult)) return Fail(L"DllUnregisterServer failed: " + Hex(unregisteredResult));
    if (after.Keys != before.Keys) return Fail(L"DllUnregisterServer leaves the registry changed");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return Fail(L"usage: registration_rows LIBRARY LIBRARY_ROWS.wxi TYPELIB_ROWS.wxi");
    const std::wstring path = FullPath(argv[1]);
    const std::wstring version = ReadProductVersion(path);
    if (version.empty()) return Fail(L"no version block in " + path);

    RegistrySnapshot before;
    RegistrySnapshot registered;
    if (const int failed = RecordRegistration(path, before, registered)) return failed;

    const InstallerRows rows = RowsForRegistration(before, registered, {path, L"[#tarvik.dll]", L"[INSTALLDIR]"},
                                                   {path, L"[#tarvik.tlb]", L"[TYPELIBDIR]"});
    for (const std::wstring& problem : rows.Problems) Fail(problem);
    if (!rows.Problems.empty()) return 1;
    if (rows.Library.empty() || rows.TypeLibrary.empty()) return Fail(L"the registration wrote no class or no type library");
    if (!WriteFile(argv[2], FormatInclude(rows.Library)) || !WriteFile(argv[3], FormatInclude(rows.TypeLibrary))) {
        return Fail(L"cannot write the rows");
    }
    std::wprintf(L"%ls\n", version.c_str());
    return 0;
}
