// tarvik.DLL loaded into the test process, with its exports; unloaded again at the end,
// so each test starts from a freshly initialised module.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "support/interface_ptr.h"

class LoadedServer {
public:
    LoadedServer();
    LoadedServer(const LoadedServer&) = delete;
    LoadedServer& operator=(const LoadedServer&) = delete;
    ~LoadedServer();

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const;
    HRESULT CanUnloadNow() const;
    InterfacePtr<IClassFactory> Factory() const;
    // A new plain lumex object, asked for the given interface.
    template <class Interface>
    InterfacePtr<Interface> Create(REFIID iid) const {
        InterfacePtr<Interface> object;
        Factory()->CreateInstance(nullptr, iid, object.ReceiveVoid());
        return object;
    }
    HMODULE Module() const { return module_; }

    static std::wstring DllPath();

private:
    HMODULE module_;
    HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**);
    HRESULT(STDAPICALLTYPE* canUnloadNow_)();
};

// The loaded tarvik.DLL registered through its own DllRegisterServer for the life of the
// object, so that the platform's registry lookups (misc status, user type, verbs) and
// creation by CLSID (CoCreateInstance, OleCreate, OleLoad) find it.
class RegisteredServer : public LoadedServer {
public:
    RegisteredServer();
    ~RegisteredServer();

private:
    HRESULT CallExport(const char* name) const;
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

// The CLSID, IID and LIBID of the component, spelled out so the tests do not take them
// from the code under test.
extern const CLSID kLumexClsid;
extern const IID kIlumexIid;
extern const GUID kTarvikLibId;
