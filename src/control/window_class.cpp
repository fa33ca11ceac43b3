#include "control/window_class.h"

#include "control/message_procedures.h"
#include "module/server_module.h"

WindowClassRecord ControlWindowClass = {
    {sizeof(WNDCLASSEXA), CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, FirstMessageProcedure, 0, 0, nullptr, nullptr,
     nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, nullptr, nullptr},
    nullptr,
    nullptr,
    IDC_ARROW,
    TRUE,
    {0},
    {},
};

namespace {

// "TVK:" and the low 32 bits of the record's address: fixed while the library is loaded,
// different for another load address or another process.
void GenerateClassName(WindowClassRecord& record) {
    const auto address = static_cast<UINT>(reinterpret_cast<UINT_PTR>(&record));
    wsprintfA(record.GeneratedName, "TVK:%8.8X", address);
    record.Description.lpszClassName = record.GeneratedName;
}

// A class of this name may survive from an earlier load of the library at the same
// address (classes are never unregistered); it is then used as it is.
ATOM RegisterOrFindClass(WindowClassRecord& record) {
    WNDCLASSEXA existing = record.Description;
    const ATOM found = static_cast<ATOM>(
        GetClassInfoExA(record.Description.hInstance, record.Description.lpszClassName, &existing));
    if (found != 0) return found;
    return RegisterClassExA(&record.Description);
}

}  // namespace

ATOM RegisterWindowClass(ServerModule& module, WindowClassRecord& record, WNDPROC& previous) {
    if (record.Atom.load(std::memory_order_acquire) == 0) {
        SectionLock lock(module.WindowCreationLock);
        if (record.Atom.load(std::memory_order_relaxed) == 0) {
            record.Description.hCursor =
                LoadCursorA(record.SystemCursor ? nullptr : module.Instance, record.CursorId);
            record.Description.style &= ~CS_GLOBALCLASS;
            record.Description.hInstance = module.Instance;
            if (record.Description.lpszClassName == nullptr) GenerateClassName(record);
            record.Atom.store(RegisterOrFindClass(record), std::memory_order_release);
        }
    }
    if (record.BaseClassName != nullptr) previous = record.BaseProcedure;
    return record.Atom.load(std::memory_order_acquire);
}
