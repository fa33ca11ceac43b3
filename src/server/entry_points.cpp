// The library's entry function and its class-object exports.
#include <windows.h>

#include "server/class_table.h"
#include "server/runtime_reserve.h"
#include "module/server_module.h"

namespace {

ServerModule Module;

// A caller in C passes the GUIDs by pointer and may pass null, which a reference does not
// show: the address is read back through a volatile copy, so no compiler assumes it set.
template <class Value>
bool IsNullReference(const Value& reference) {
    const Value* volatile address = &reference;
    return address == nullptr;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        TheModule = &Module;
        StartModule(&Module, ClassTable, instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        StopModule(&Module);
        // Unloaded by FreeLibrary (not ending with the process): give the runtime's own
        // memory back too, or every load and unload leaves it on the heap.
        if (reserved == nullptr) ReleaseRuntimeReserve();
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return Module.LockCount == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsNullReference(rclsid) || IsNullReference(riid)) return E_INVALIDARG;
    return FindClassObject(&Module, rclsid, riid, ppv);
}
