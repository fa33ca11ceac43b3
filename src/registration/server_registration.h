// Self-registration: the class table's registry entries and the module's type library.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include "module/server_module.h"

// An extra replacement for a registry script; an array of them ends with a null name.
struct ReplacementEntry {
    const wchar_t* Name;
    const wchar_t* Value;
};

// The walks call each class's registry updater; the others throw nothing, since they run
// under the registration exports, where an exception would end the registration tool.
HRESULT RegisterObjectMap(ServerModule* module, bool typeLib, const CLSID* classId);
HRESULT UnregisterObjectMap(ServerModule* module, bool typeLib, const CLSID* classId);
HRESULT ApplyRegistryResource(ServerModule* module, WORD resourceId, bool registerPass,
                              const ReplacementEntry* extras) noexcept;
HRESULT UpdateClassCategories(const CLSID& classId, const CategoryTableEntry* table, bool registerPass) noexcept;
HRESULT OpenModuleTypeLibrary(ServerModule* module, const wchar_t* suffix, BSTR* path, ITypeLib** typeLib) noexcept;
HRESULT InstallModuleTypeLibrary(ServerModule* module, const wchar_t* suffix) noexcept;
HRESULT RemoveModuleTypeLibrary(ServerModule* module, const wchar_t* suffix) noexcept;
