// Component categories of a class, through the system's category manager.
#include <comcat.h>

#include "registration/server_registration.h"
#include "support/interface_ptr.h"

HRESULT UpdateClassCategories(const CLSID& classId, const CategoryTableEntry* table, bool registerPass) noexcept {
    if (table == nullptr) return S_OK;
    InterfacePtr<ICatRegister> manager;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                manager.ReceiveVoid()))) {
        return S_OK;
    }
    CLSID target = classId;
    for (const CategoryTableEntry* entry = table; entry->Kind != 0; ++entry) {
        CATID category = *entry->Category;
        const bool implemented = entry->Kind == 1;
        if (registerPass) {
            const HRESULT result = implemented ? manager->RegisterClassImplCategories(target, 1, &category)
                                               : manager->RegisterClassReqCategories(target, 1, &category);
            if (FAILED(result)) return result;
        } else if (implemented) {
            manager->UnRegisterClassImplCategories(target, 1, &category);
        } else {
            manager->UnRegisterClassReqCategories(target, 1, &category);
        }
    }
    return S_OK;
}
