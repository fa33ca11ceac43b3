#include "control/pending_windows.h"

#include "module/server_module.h"

void PushPendingWindow(ServerModule& module, PendingWindow& record, ControlWindow* object) {
    record.Object = object;
    record.ThreadId = GetCurrentThreadId();
    SectionLock lock(module.WindowCreationLock);
    record.Next = module.PendingWindows;
    module.PendingWindows = &record;
}

ControlWindow* TakePendingWindow(ServerModule& module) {
    SectionLock lock(module.WindowCreationLock);
    if (module.PendingWindows == nullptr) return nullptr;
    const DWORD thread = GetCurrentThreadId();
    for (PendingWindow** link = &module.PendingWindows; *link != nullptr; link = &(*link)->Next) {
        PendingWindow* record = *link;
        if (record->ThreadId != thread) continue;
        *link = record->Next;
        record->Next = nullptr;
        return record->Object;
    }
    return nullptr;
}

void ForgetPendingWindow(ServerModule& module, PendingWindow& record) {
    SectionLock lock(module.WindowCreationLock);
    for (PendingWindow** link = &module.PendingWindows; *link != nullptr; link = &(*link)->Next) {
        if (*link != &record) continue;
        *link = record.Next;
        record.Next = nullptr;
        return;
    }
}
