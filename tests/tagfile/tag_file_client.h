// The small calls the TagFile tests repeat, on an object of the loaded library
// (server.Create<ITagFile>(kITagFileIid, kTagFileClsid)).
#pragma once
#include <windows.h>

#include <string>

#include "automation/tarvik.h"
#include "support/interface_ptr.h"
#include "common/loaded_server.h"
#include "support/unique_bstr.h"

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
