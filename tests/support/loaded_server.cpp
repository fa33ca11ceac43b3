#include "support/loaded_server.h"

#include <gtest/gtest.h>

#include "support/temp_files.h"

const CLSID kLumexClsid = {0x5C3E7A1D, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};
const IID kIlumexIid = {0x5C3E7A1C, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};
const GUID kTarvikLibId = {0x5C3E7A10, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};

std::wstring LoadedServer::DllPath() { return ProgramDirectory() + L"tarvik.DLL"; }

LoadedServer::LoadedServer() : module_(LoadLibraryW(DllPath().c_str())) {
    if (module_ == nullptr) ADD_FAILURE() << "cannot load tarvik.DLL: " << GetLastError();
    getClassObject_ = reinterpret_cast<decltype(getClassObject_)>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    canUnloadNow_ =
        reinterpret_cast<decltype(canUnloadNow_)>(reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    if (getClassObject_ == nullptr || canUnloadNow_ == nullptr) ADD_FAILURE() << "exports missing";
}

LoadedServer::~LoadedServer() {
    if (module_ != nullptr) FreeLibrary(module_);
}

HRESULT LoadedServer::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const {
    return getClassObject_(clsid, iid, ppv);
}

HRESULT LoadedServer::CanUnloadNow() const { return canUnloadNow_(); }

InterfacePtr<IClassFactory> LoadedServer::Factory() const {
    InterfacePtr<IClassFactory> factory;
    EXPECT_EQ(GetClassObject(kLumexClsid, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
    return factory;
}

RegisteredServer::RegisteredServer() {
    const HRESULT result = CallExport("DllRegisterServer");
    if (result != S_OK) ADD_FAILURE() << "DllRegisterServer: " << std::hex << result;
}

RegisteredServer::~RegisteredServer() { CallExport("DllUnregisterServer"); }

HRESULT RegisteredServer::CallExport(const char* name) const {
    auto* exported = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(Module(), name)));
    return exported == nullptr ? E_FAIL : exported();
}

RegisteredTypeLibrary::RegisteredTypeLibrary() {
    const std::wstring path = LoadedServer::DllPath();
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLib(path.c_str(), &library);
    if (FAILED(hr)) {
        ADD_FAILURE() << "LoadTypeLib failed: " << std::hex << hr;
        return;
    }
    std::wstring directory = ProgramDirectory();
    std::wstring writablePath = path;
    hr = RegisterTypeLib(library, &writablePath[0], &directory[0]);
    library->Release();
    if (FAILED(hr)) ADD_FAILURE() << "RegisterTypeLib failed: " << std::hex << hr;
}

RegisteredTypeLibrary::~RegisteredTypeLibrary() { RemoveRegistration(); }

void RegisteredTypeLibrary::RemoveRegistration() {
    // Registered in both views where the process is 64-bit; remove whatever is there.
    UnRegisterTypeLib(kTarvikLibId, 1, 0, 0, SYS_WIN32);
    UnRegisterTypeLib(kTarvikLibId, 1, 0, 0, SYS_WIN64);
}
