// The per-window entry stub: a few instructions that turn a window-procedure call into a
// call of the object's message procedure with the object in place of the window handle.
// Stubs live in a small pool of executable pages, since ordinary heap memory may not
// execute (always so for 64-bit processes, and for 32-bit ones that opt in).
#pragma once
#include <windows.h>

struct ServerModule;
class ControlWindow;

// The object's message procedure: the window procedure's signature with the object first.
using ObjectMessageProcedure = LRESULT(CALLBACK*)(ControlWindow* object, UINT message, WPARAM wParam,
                                                  LPARAM lParam);

#if defined(_M_IX86) || defined(__i386__)
// mov dword [esp+4], object; jmp target
constexpr SIZE_T kEntryStubSize = 13;
#else
// mov rcx, object; mov rax, target; jmp rax
constexpr SIZE_T kEntryStubSize = 22;
#endif

// A slot of executable memory for one object's stub, or null when none can be had.
void* AcquireEntryStub(ServerModule& module);
// Gives a slot back; a page whose slots are all free goes back to the system.
void ReleaseEntryStub(ServerModule& module, void* stub);
// Writes the stub for object and target into slot, flushes the instruction cache and
// returns the slot as a window procedure.
WNDPROC WriteEntryStub(void* slot, ControlWindow* object, ObjectMessageProcedure target);
