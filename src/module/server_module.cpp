#include "module/server_module.h"

#include <new>

ServerModule* TheModule = nullptr;

HRESULT StartModule(ServerModule* module, ClassTableEntry* classTable, HINSTANCE instance) {
    if (module == nullptr) return E_INVALIDARG;
    module->ClassTable = classTable;
    module->Instance = instance;
    module->TypeLibInstance = instance;
    module->LockCount = 0;
    module->TypeInfoLock.Initialize();
    module->WindowCreationLock.Initialize();
    module->ClassTableLock.Initialize();
    module->PendingWindows = nullptr;
    module->ExitFunctions = nullptr;
    for (ClassTableEntry* entry = classTable; entry->ClassId != nullptr; ++entry) entry->ClassStartStop(true);
    return S_OK;
}

HRESULT StopModule(ServerModule* module) {
    if (module == nullptr) return E_INVALIDARG;
    for (ClassTableEntry* entry = module->ClassTable; entry->ClassId != nullptr; ++entry) {
        if (IUnknown* cached = entry->CachedClassObject.exchange(nullptr)) cached->Release();
        entry->ClassStartStop(false);
    }
    module->TypeInfoLock.Delete();
    module->WindowCreationLock.Delete();
    module->ClassTableLock.Delete();
    // The locks are gone: exit functions must not take any of them.
    for (ExitFunctionEntry* entry = module->ExitFunctions; entry != nullptr;) {
        ExitFunctionEntry* next = entry->Next;
        entry->Function(entry->Argument);
        delete entry;
        entry = next;
    }
    return S_OK;
}

HRESULT FindClassObject(ServerModule* module, REFCLSID rclsid, REFIID riid, void** ppv) {
    if (module == nullptr) return E_INVALIDARG;
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    HRESULT result = S_OK;
    for (ClassTableEntry* entry = module->ClassTable; entry->ClassId != nullptr; ++entry) {
        if (entry->ClassObjectMaker == nullptr || !IsEqualGUID(*entry->ClassId, rclsid)) continue;
        IUnknown* cached = entry->CachedClassObject.load(std::memory_order_acquire);
        if (cached == nullptr) {
            SectionLock lock(module->ClassTableLock);
            cached = entry->CachedClassObject.load(std::memory_order_relaxed);
            if (cached == nullptr) {
                result = entry->ClassObjectMaker(entry->InstanceMaker, IID_IUnknown, reinterpret_cast<void**>(&cached));
                // Made in full before other threads can see it.
                if (cached != nullptr) entry->CachedClassObject.store(cached, std::memory_order_release);
            }
        }
        if (cached != nullptr) result = cached->QueryInterface(riid, ppv);
        break;
    }
    if (*ppv == nullptr && result == S_OK) result = CLASS_E_CLASSNOTAVAILABLE;
    return result;
}

HRESULT AddExitFunction(ServerModule* module, ExitFunction function, DWORD_PTR argument) {
    auto* entry = new (std::nothrow) ExitFunctionEntry{function, argument, nullptr};
    if (entry == nullptr) return E_OUTOFMEMORY;
    SectionLock lock(module->TypeInfoLock);
    entry->Next = module->ExitFunctions;
    module->ExitFunctions = entry;
    return S_OK;
}

LONG AddModuleLock() { return InterlockedIncrement(&TheModule->LockCount); }
LONG DropModuleLock() { return InterlockedDecrement(&TheModule->LockCount); }
