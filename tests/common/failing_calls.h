// Stand-ins for the system's calls that a save makes, each failing as a full or lost disk
// would, for ImportHook.  Declared with the system's calling convention: a stand-in of
// another convention unbalances the caller's stack on i686.
#pragma once
#include <windows.h>

BOOL WINAPI FailWrite(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);  // disk full
BOOL WINAPI FailFlush(HANDLE file);                                     // a write fault
BOOL WINAPI FailMove(LPCWSTR from, LPCWSTR to, DWORD flags);            // access denied
