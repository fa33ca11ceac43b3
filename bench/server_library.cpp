#include "server_library.h"

#include <cstdio>

const CLSID kLumexClassId = {0x5C3E7A1D, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};

std::wstring ServerLibrary::DllPath() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, n);
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"tarvik.DLL";
}

ServerLibrary::ServerLibrary() : module_(LoadLibraryW(DllPath().c_str())) {
    if (module_ == nullptr) std::printf("cannot load tarvik.DLL: error %lu\n", GetLastError());
}

ServerLibrary::~ServerLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
}

HRESULT ServerLibrary::CallExport(const char* name) const {
    auto* exported =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    return exported == nullptr ? E_FAIL : exported();
}

HRESULT ServerLibrary::CanUnloadNow() const { return CallExport("DllCanUnloadNow"); }

InterfacePtr<IClassFactory> ServerLibrary::Factory() const {
    InterfacePtr<IClassFactory> factory;
    auto* getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    if (getClassObject != nullptr) getClassObject(kLumexClassId, IID_IClassFactory, factory.ReceiveVoid());
    return factory;
}

RegisteredLibrary::RegisteredLibrary() {
    const HRESULT result = Register();
    if (result != S_OK) std::printf("DllRegisterServer failed: 0x%08lx\n", static_cast<unsigned long>(result));
}

RegisteredLibrary::~RegisteredLibrary() { Unregister(); }
