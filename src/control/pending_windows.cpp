#include "control/pending_windows.h"

#include "module/server_module.h"

void PushPendingWindow(ServerModule& module, PendingWindow& record, ControlWindow* object) {
    record.Object = object;
    record.ThreadId = GetCurrentThreadId();
    SectionLock lock(module.WindowCreationLock);
    record.Next = module.PendingWindows;
    module.PendingWindows = &record;
}

namespace {

// Unlinks the first record that matches; the caller holds WindowCreationLock.
template <class Matches>
PendingWindow* UnlinkFirst(ServerModule& module, Matches matches) {
    for (PendingWindow** link = &module.PendingWindows; *link != nullptr; link = &(*link)->Next) {
        PendingWindow* record = *link;
        if (!matches(*record)) continue;
        *link = record->Next;
        record->Next = nullptr;
        return record;
    }
    return nullptr;
}

}  // namespace

ControlWindow* TakePendingWindow(ServerModule& module) {
    SectionLock lock(module.WindowCreationLock);
    if (module.PendingWindows == nullptr) return nullptr;
    const DWORD thread = GetCurrentThreadId();
    const PendingWindow* record =
        UnlinkFirst(module, [thread](const PendingWindow& candidate) { return candidate.ThreadId == thread; });
    return record != nullptr ? record->Object : nullptr;
}

void ForgetPendingWindow(ServerModule& module, PendingWindow& record) {
    SectionLock lock(module.WindowCreationLock);
    UnlinkFirst(module, [&record](const PendingWindow& candidate) { return &candidate == &record; });
}
