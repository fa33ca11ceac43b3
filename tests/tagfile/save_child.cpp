// The process that the kill test ends at a moment of its choosing: it loads tarvik.DLL from
// its own folder, opens the file it is given and saves it count times, its field (Title, or
// a name that SetText takes) given the two values in turn, after setting the named event
// that says its saves begin.
// Usage: save_child.exe FILE COUNT EVENT FIELD VALUE1 VALUE2
#include <windows.h>

#include <cwchar>
#include <string>

#include "automation/tarvik.h"

namespace {

const CLSID kTagFile = {0x5C3E7A1F, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};
const IID kITagFile2 = {0x5C3E7A20, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};

ITagFile2* CreateTagFile() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring library(path, length);
    library = library.substr(0, library.find_last_of(L'\\') + 1) + L"tarvik.DLL";
    const HMODULE module = LoadLibraryW(library.c_str());
    if (module == nullptr) return nullptr;
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    const auto get =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (get == nullptr || FAILED(get(kTagFile, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
    ITagFile2* tag = nullptr;
    factory->CreateInstance(nullptr, kITagFile2, reinterpret_cast<void**>(&tag));
    factory->Release();
    return tag;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 7 || FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 2;
    ITagFile2* tag = CreateTagFile();
    if (tag == nullptr) return 3;
    BSTR path = SysAllocString(argv[1]);
    BSTR field = SysAllocString(argv[4]);
    const bool title = std::wcscmp(argv[4], L"Title") == 0;
    BSTR values[] = {SysAllocString(argv[5]), SysAllocString(argv[6])};
    const HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
    if (started != nullptr) SetEvent(started);
    const long count = std::wcstol(argv[2], nullptr, 10);
    for (long i = 0; i < count; ++i) {
        BSTR value = values[i % 2];
        if (FAILED(tag->Open(path)) || FAILED(title ? tag->put_Title(value) : tag->SetText(field, value)) ||
            FAILED(tag->Save())) {
            return 4;
        }
    }
    return 0;
}
