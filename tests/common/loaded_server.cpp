#include "common/loaded_server.h"

#include <gtest/gtest.h>

#include "common/temp_files.h"

const IID kIlumexIid = {0x5C3E7A1C, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};
const IID kITagFileIid = {0x5C3E7A1E, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};
const IID kITagFile2Iid = {0x5C3E7A20, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};
const GUID kTarvikLibId = {0x5C3E7A10, 0x91B4, 0x4D2F, {0x8E, 0x63, 0x27, 0xA1, 0xB9, 0xD4, 0x0C, 0x55}};

LoadedServer::LoadedServer(Registration registration) : ServerLibrary(registration) {
    if (!Loaded()) ADD_FAILURE() << "cannot load tarvik.DLL: " << GetLastError();
}

void LoadedServer::ReportFailure(const char* what, HRESULT result) const {
    ADD_FAILURE() << what << ": 0x" << std::hex << result;
}

RegisteredServer::RegisteredServer() : LoadedServer(Registration::ForLifetime) {
    if (RegistrationResult() != S_OK) ADD_FAILURE() << "DllRegisterServer: 0x" << std::hex << RegistrationResult();
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
