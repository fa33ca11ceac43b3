#include "common/import_hook.h"

#include <cstring>

namespace {

template <class T>
T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

// The import table slot through which module calls function of importedDll, by name.
void** FindImportSlot(HMODULE module, const char* importedDll, const char* function) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = At<const IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    for (const auto* entry = At<const IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress); entry->Name != 0;
         ++entry) {
        if (lstrcmpiA(At<const char>(module, entry->Name), importedDll) != 0) continue;
        const auto* names = At<const IMAGE_THUNK_DATA>(module, entry->OriginalFirstThunk);
        auto* slots = At<IMAGE_THUNK_DATA>(module, entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = At<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

}  // namespace

ImportHook::ImportHook(HMODULE module, const char* importedDll, const char* function, void* replacement) {
    if (module == nullptr) return;
    slot_ = FindImportSlot(module, importedDll, function);
    if (slot_ == nullptr) return;
    original_ = *slot_;
    Write(replacement);
}

ImportHook::~ImportHook() {
    if (slot_ != nullptr) Write(original_);
}

void ImportHook::Write(void* value) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
    *slot_ = value;
    VirtualProtect(slot_, sizeof(void*), protection, &protection);
}
