// Interface lookup over an ordered table: the first entry is the object's IUnknown.
#pragma once
#include <windows.h>
#include <unknwn.h>

struct InterfaceTableEntry {
    const IID* Iid;                     // null ends the table
    IUnknown* (*SubObject)(void* base);  // the interface pointer that answers
};

HRESULT QueryThroughTable(void* base, const InterfaceTableEntry* table, REFIID riid, void** ppv);

// The table entry for interface I answered by the sub-object of group G of class C.
template <class C, class G>
IUnknown* SubObjectOf(void* base) {
    return static_cast<G*>(static_cast<C*>(base));
}
