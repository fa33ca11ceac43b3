// The module's list of windows being created: each record ties a creating thread to the
// object whose window it is making, until that window's first message takes it.
#pragma once
#include <windows.h>

#include "control/control_window.h"

struct ServerModule;

// Links record, filled with object and the calling thread, at the head of the list.
void PushPendingWindow(ServerModule& module, PendingWindow& record, ControlWindow* object);
// Unlinks the calling thread's newest record and returns its object; null when there is none.
ControlWindow* TakePendingWindow(ServerModule& module);
// Unlinks record if it is still listed: for a creation that failed before its first message.
void ForgetPendingWindow(ServerModule& module, PendingWindow& record);
