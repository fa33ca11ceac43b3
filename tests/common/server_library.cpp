#include "common/server_library.h"

#include <cstdio>

#include "common/temp_files.h"

const CLSID kLumexClsid = {0x5C3E7A1D, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};
const CLSID kTagFileClsid = {0x5C3E7A1F, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};

namespace {

template <class Function>
Function FindExport(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::wstring ServerLibrary::DllPath() { return ProgramDirectory() + L"tarvik.DLL"; }

ServerLibrary::ServerLibrary(Registration registration)
    : module_(LoadLibraryW(DllPath().c_str())), registration_(registration) {
    if (module_ == nullptr) {
        std::printf("cannot load tarvik.DLL: error %lu\n", GetLastError());
        return;
    }
    getClassObject_ = FindExport<decltype(getClassObject_)>(module_, "DllGetClassObject");
    canUnloadNow_ = FindExport<decltype(canUnloadNow_)>(module_, "DllCanUnloadNow");
    if (registration_ == Registration::ForLifetime) {
        registrationResult_ = Register();
        if (registrationResult_ != S_OK) {
            std::printf("DllRegisterServer failed: 0x%08lx\n", static_cast<unsigned long>(registrationResult_));
        }
    }
}

ServerLibrary::~ServerLibrary() {
    if (module_ == nullptr) return;
    if (registration_ == Registration::ForLifetime) Unregister();
    FreeLibrary(module_);
}

void ServerLibrary::ReportFailure(const char* what, HRESULT result) const {
    std::printf("%s: 0x%08lx\n", what, static_cast<unsigned long>(result));
}

HRESULT ServerLibrary::CallExport(const char* name) const {
    const auto exported = FindExport<HRESULT(STDAPICALLTYPE*)()>(module_, name);
    return exported == nullptr ? E_FAIL : exported();
}

HRESULT ServerLibrary::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const {
    if (getClassObject_ == nullptr) return E_FAIL;
    return getClassObject_(clsid, iid, ppv);
}

HRESULT ServerLibrary::CanUnloadNow() const { return canUnloadNow_ == nullptr ? E_FAIL : canUnloadNow_(); }

InterfacePtr<IClassFactory> ServerLibrary::Factory(REFCLSID clsid) const {
    InterfacePtr<IClassFactory> factory;
    const HRESULT result = GetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid());
    if (result != S_OK) ReportFailure("DllGetClassObject", result);
    return factory;
}
