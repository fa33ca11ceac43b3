// The registration walk over the class table.
#include "registration/server_registration.h"

namespace {

bool IsSelected(const ClassTableEntry& entry, const CLSID* classId) {
    if (classId != nullptr) return IsEqualGUID(*entry.ClassId, *classId);
    return entry.DescriptionGetter == nullptr || entry.DescriptionGetter() == nullptr;
}

const CategoryTableEntry* CategoriesOf(const ClassTableEntry& entry) {
    return entry.CategoryTableGetter != nullptr ? entry.CategoryTableGetter() : nullptr;
}

}  // namespace

HRESULT RegisterObjectMap(ServerModule* module, bool typeLib, const CLSID* classId) {
    if (module == nullptr) return E_INVALIDARG;
    for (ClassTableEntry* entry = module->ClassTable; entry->ClassId != nullptr; ++entry) {
        if (!IsSelected(*entry, classId)) continue;
        HRESULT result = entry->RegistryUpdater(TRUE);
        if (FAILED(result)) return result;
        result = UpdateClassCategories(*entry->ClassId, CategoriesOf(*entry), true);
        if (FAILED(result)) return result;
    }
    return typeLib ? InstallModuleTypeLibrary(module, nullptr) : S_OK;
}

HRESULT UnregisterObjectMap(ServerModule* module, bool typeLib, const CLSID* classId) {
    if (module == nullptr) return E_INVALIDARG;
    for (ClassTableEntry* entry = module->ClassTable; entry->ClassId != nullptr; ++entry) {
        if (!IsSelected(*entry, classId)) continue;
        entry->RegistryUpdater(FALSE);
        if (entry->CategoryTableGetter != nullptr) UpdateClassCategories(*entry->ClassId, CategoriesOf(*entry), false);
    }
    if (typeLib) RemoveModuleTypeLibrary(module, nullptr);
    return S_OK;
}
