// A TagFile object made through the class object of the loaded library, and the small
// reads its tests repeat.
#pragma once
#include <windows.h>

#include <string>

#include "automation/tarvik.h"
#include "support/interface_ptr.h"
#include "common/loaded_server.h"
#include "support/unique_bstr.h"

inline InterfacePtr<ITagFile> MakeTagFile(const ServerLibrary& server, IUnknown* outer = nullptr) {
    InterfacePtr<IClassFactory> factory;
    InterfacePtr<ITagFile> object;
    if (SUCCEEDED(server.GetClassObject(kTagFileClsid, IID_IClassFactory, factory.ReceiveVoid()))) {
        factory->CreateInstance(outer, kITagFileIid, object.ReceiveVoid());
    }
    return object;
}

inline HRESULT OpenFile(ITagFile* tag, const std::wstring& path) {
    UniqueBstr name(SysAllocString(path.c_str()));
    return tag->Open(name.Get());
}

// A text property as a string; "<failed>" when the call fails.
inline std::wstring TextOf(ITagFile* tag, HRESULT (STDMETHODCALLTYPE ITagFile::*getter)(BSTR*)) {
    UniqueBstr value;
    if (FAILED((tag->*getter)(value.Receive()))) return L"<failed>";
    return std::wstring(value.Get(), value.Length());
}
