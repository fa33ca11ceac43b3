// The registration walk over the class table.
#include "registration/server_registration.h"
#include "support/ansi_conversion.h"

namespace {

bool IsSelected(const ClassTableEntry& entry, const CLSID* classId) {
    if (classId != nullptr) return IsEqualGUID(*entry.ClassId, *classId);
    return entry.DescriptionGetter == nullptr || entry.DescriptionGetter() == nullptr;
}

const CategoryTableEntry* CategoriesOf(const ClassTableEntry& entry) {
    return entry.CategoryTableGetter != nullptr ? entry.CategoryTableGetter() : nullptr;
}

// The registry entries and the type library name the module by its ANSI path.  Where the
// code page cannot hold the real path, that form names another file (or none): such a
// module is neither registered nor unregistered, and the registry stays as it was.
HRESULT CheckModulePathFitsCodePage(const ServerModule& module) {
    wchar_t path[MAX_PATH + 1] = {};
    if (GetModuleFileNameW(module.Instance, path, MAX_PATH + 1) == 0) return S_OK;
    return CodePageHoldsName(path, -1) ? S_OK : HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
}

}  // namespace

HRESULT RegisterObjectMap(ServerModule* module, bool typeLib, const CLSID* classId) {
    if (module == nullptr) return E_INVALIDARG;
    const HRESULT fits = CheckModulePathFitsCodePage(*module);
    if (FAILED(fits)) return fits;
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
    const HRESULT fits = CheckModulePathFitsCodePage(*module);
    if (FAILED(fits)) return fits;
    for (ClassTableEntry* entry = module->ClassTable; entry->ClassId != nullptr; ++entry) {
        if (!IsSelected(*entry, classId)) continue;
        entry->RegistryUpdater(FALSE);
        if (entry->CategoryTableGetter != nullptr) UpdateClassCategories(*entry->ClassId, CategoriesOf(*entry), false);
    }
    if (typeLib) RemoveModuleTypeLibrary(module, nullptr);
    return S_OK;
}
