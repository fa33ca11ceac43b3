// The small calls the TagFile tests repeat, on an object of the loaded library
// (server.Create<ITagFile>(kITagFileIid, kTagFileClsid), or ITagFile2).
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

// A text property put: tag->*putter(value).
inline HRESULT Put(ITagFile2* tag, HRESULT (STDMETHODCALLTYPE ITagFile2::*putter)(BSTR), const std::wstring& value) {
    UniqueBstr text(SysAllocStringLen(value.data(), static_cast<UINT>(value.size())));
    return (tag->*putter)(text.Get());
}

inline HRESULT SetFrameText(ITagFile2* tag, const std::wstring& id, const std::wstring& value) {
    UniqueBstr name(SysAllocString(id.c_str()));
    UniqueBstr text(SysAllocStringLen(value.data(), static_cast<UINT>(value.size())));
    return tag->SetText(name.Get(), text.Get());
}

inline std::wstring FrameText(ITagFile* tag, const std::wstring& id) {
    UniqueBstr name(SysAllocString(id.c_str()));
    UniqueBstr value;
    if (FAILED(tag->Text(name.Get(), value.Receive()))) return L"<failed>";
    return std::wstring(value.Get(), value.Length());
}

inline long NumberOf(ITagFile* tag, HRESULT (STDMETHODCALLTYPE ITagFile::*getter)(long*)) {
    long value = -1;
    return SUCCEEDED((tag->*getter)(&value)) ? value : -1;
}

// The description of the error information the last failing call set.
inline std::wstring ErrorDescription() {
    InterfacePtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Receive()) != S_OK) return L"<none>";
    UniqueBstr description;
    info->GetDescription(description.Receive());
    return std::wstring(description.Get(), description.Length());
}
