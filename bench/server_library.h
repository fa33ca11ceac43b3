// tarvik.DLL from the benchmark program's own folder, loaded for the life of the object,
// with its four exports.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <string>

#include "support/interface_ptr.h"

class ServerLibrary {
public:
    ServerLibrary();
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;
    ~ServerLibrary();

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    HRESULT CanUnloadNow() const;
    HRESULT Register() const { return CallExport("DllRegisterServer"); }
    HRESULT Unregister() const { return CallExport("DllUnregisterServer"); }
    InterfacePtr<IClassFactory> Factory() const;
    // A new plain lumex object, asked for the given interface; empty on failure.
    template <class Interface>
    InterfacePtr<Interface> Create(REFIID iid) const {
        InterfacePtr<Interface> object;
        const InterfacePtr<IClassFactory> factory = Factory();
        if (factory) factory->CreateInstance(nullptr, iid, object.ReceiveVoid());
        return object;
    }

    static std::wstring DllPath();

private:
    HRESULT CallExport(const char* name) const;

    HMODULE module_;
};

// The library registered (its class and type library) for the life of the object, as
// regsvr32 would leave it, so that the type library loads and scripts find the class.
class RegisteredLibrary : public ServerLibrary {
public:
    RegisteredLibrary();
    ~RegisteredLibrary();
};

extern const CLSID kLumexClassId;
