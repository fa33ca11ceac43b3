// Process-wide type information of the library's own types, loaded from the registered
// type library on first use and kept, with a cache of member names, until unload.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <atomic>

struct NameCacheEntry {
    BSTR Name;
    LONG Length;
    DISPID DispId;
};

struct TypeInfoKeeper {
    const GUID* Guid;
    const GUID* LibId;
    WORD MajorVersion;
    WORD MinorVersion;
    // Published last, with a release store, once the name cache is complete; readers
    // outside the lock load it with acquire and may then use the cache without a lock.
    std::atomic<ITypeInfo*> TypeInfo;
    NameCacheEntry* NameCache;
    LONG NameCount;
    LONG ExitFunctionAdded;  // the release at unload is registered once per keeper
};

// Ilumex's type information (GetTypeInfo, GetIDsOfNames, Invoke) and lumex's (GetClassInfo).
extern TypeInfoKeeper InterfaceKeeper;
extern TypeInfoKeeper ClassKeeper;
// ITagFile2's (which holds ITagFile) and TagFile's.
extern TypeInfoKeeper TagFileInterfaceKeeper;
extern TypeInfoKeeper TagFileClassKeeper;

HRESULT LoadTypeInfo(TypeInfoKeeper& keeper, LCID lcid);
// GetTypeInfo: the kept information with a reference for the caller, loading it if needed.
HRESULT HandOutTypeInfo(TypeInfoKeeper& keeper, LCID lcid, ITypeInfo** ppTInfo);
HRESULT LookUpNames(TypeInfoKeeper& keeper, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
HRESULT InvokeThroughTypeInfo(TypeInfoKeeper& keeper, IDispatch* self, DISPID dispIdMember, LCID lcid, WORD wFlags,
                              DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr);
void WINAPI ReleaseTypeInfo(DWORD_PTR keeper);
