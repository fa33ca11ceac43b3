// The per-window entry stub: a few instructions that turn a window-procedure call into a
// call of the object's message procedure with the object in place of the window handle.
// Stubs live in pages of their own, since ordinary heap memory may not execute (always so
// for 64-bit processes, and for 32-bit ones that opt in).  No page is ever writable and
// executable at once: a page reads and executes, and is made writable only for the moment
// a stub on it is written or cleared.  A page holds the stubs of one thread's windows
// only, and only that thread changes its protection or gives it back, so no stub on it is
// running meanwhile; once that thread has ended (its windows with it) any thread may.
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

// Writes a stub for object and target on a page of the calling thread's and returns it as
// the window procedure of a window of that thread.  Null, with the system's error as the
// thread's last error, when no executable memory can be had (a host that forbids code
// made at run time, say), or when the page cannot be made executable again; nothing is
// kept then, and the other stubs of the page execute as before where the system allows it.
WNDPROC MakeEntryStub(ServerModule& module, ControlWindow* object, ObjectMessageProcedure target);
// Clears a stub that no window enters any more and gives its slot back; a page whose slots
// are all free goes back to the system.  On another thread than the page's, the slot is
// given back and cleared with the page's next change, and an emptied page waits for its
// own thread's next stub call or for that thread's end.
void FreeEntryStub(ServerModule& module, WNDPROC stub);
