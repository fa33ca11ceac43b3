// tarvik.DLL from the running program's own folder, loaded for the life of the object,
// with its four exports; registered too for that life when asked.  Free of any test
// framework, so that benchmark programs use it as the tests do (through LoadedServer).
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <string>

#include "support/interface_ptr.h"

// The CLSID of the lumex class, spelled out so that no test takes it from the code under test.
extern const CLSID kLumexClsid;
// And of the TagFile class.
extern const CLSID kTagFileClsid;

class ServerLibrary {
public:
    enum class Registration { None, ForLifetime };

    // With Registration::ForLifetime the library's DllRegisterServer runs now and its
    // DllUnregisterServer at the end, as regsvr32 would leave the machine meanwhile.
    explicit ServerLibrary(Registration registration = Registration::None);
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;
    virtual ~ServerLibrary();

    bool Loaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    // DllRegisterServer's answer when registered for the object's life, else S_OK.
    HRESULT RegistrationResult() const { return registrationResult_; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const;
    HRESULT CanUnloadNow() const;
    HRESULT Register() const { return CallExport("DllRegisterServer"); }
    HRESULT Unregister() const { return CallExport("DllUnregisterServer"); }
    // The class object of a class (lumex unless named); empty, and reported, when the library
    // does not give it.
    InterfacePtr<IClassFactory> Factory(REFCLSID clsid = kLumexClsid) const;
    // A new plain object of a class (lumex unless named), asked for the given interface;
    // empty on failure.
    template <class Interface>
    InterfacePtr<Interface> Create(REFIID iid, REFCLSID clsid = kLumexClsid) const {
        InterfacePtr<Interface> object;
        const InterfacePtr<IClassFactory> factory = Factory(clsid);
        if (factory) factory->CreateInstance(nullptr, iid, object.ReceiveVoid());
        return object;
    }

    static std::wstring DllPath();

protected:
    // Tells of a failure that the caller sees only as an empty result; printed here.
    virtual void ReportFailure(const char* what, HRESULT result) const;

private:
    HRESULT CallExport(const char* name) const;

    HMODULE module_;
    HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow_)() = nullptr;
    Registration registration_;
    HRESULT registrationResult_ = S_OK;
};
