#include "module/interface_table.h"

HRESULT QueryThroughTable(void* base, const InterfaceTableEntry* table, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    IUnknown* answer = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown)) {
        answer = table[0].SubObject(base);
    } else {
        for (const InterfaceTableEntry* entry = table; entry->Iid != nullptr; ++entry) {
            if (IsEqualGUID(riid, *entry->Iid)) {
                answer = entry->SubObject(base);
                break;
            }
        }
    }
    if (answer == nullptr) return E_NOINTERFACE;
    answer->AddRef();
    *ppv = answer;
    return S_OK;
}
