// tarvik.DLL loaded into the test process, with its exports; unloaded again at the end,
// so each test starts from a freshly initialised module.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "support/interface_ptr.h"
#include "common/server_library.h"

// The library under test; a failure to load it or to give its class object fails the test.
class LoadedServer : public ServerLibrary {
public:
    explicit LoadedServer(Registration registration = Registration::None);

protected:
    void ReportFailure(const char* what, HRESULT result) const override;
};

// The loaded tarvik.DLL registered through its own DllRegisterServer for the life of the
// object, so that the platform's registry lookups (misc status, user type, verbs) and
// creation by CLSID (CoCreateInstance, OleCreate, OleLoad) find it.
class RegisteredServer : public LoadedServer {
public:
    RegisteredServer();
};

// Registers the type library held in tarvik.DLL for the life of the object.
class RegisteredTypeLibrary {
public:
    RegisteredTypeLibrary();
    RegisteredTypeLibrary(const RegisteredTypeLibrary&) = delete;
    RegisteredTypeLibrary& operator=(const RegisteredTypeLibrary&) = delete;
    ~RegisteredTypeLibrary();
    static void RemoveRegistration();
};

// The IID and LIBID of the component (the CLSID is beside ServerLibrary), spelled out so the
// tests do not take them from the code under test.
extern const IID kIlumexIid;
extern const IID kITagFileIid;
extern const IID kITagFile2Iid;
extern const GUID kTarvikLibId;
