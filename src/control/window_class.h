// The window class of the control windows: described once, registered once per loaded
// library under a name made from the record's own address.
#pragma once
#include <windows.h>

#include <atomic>

struct ServerModule;

struct WindowClassRecord {
    WNDCLASSEXA Description;
    LPCSTR BaseClassName;     // a class to superclass; null for none
    WNDPROC BaseProcedure;    // that class's procedure
    LPCSTR CursorId;
    BOOL SystemCursor;        // the cursor comes from the system, not from the library
    std::atomic<ATOM> Atom;   // 0 until registered
    char GeneratedName[13];   // "TVK:" and 8 hexadecimal digits
};

// The class of every lumex control window.
extern WindowClassRecord ControlWindowClass;

// Registers the class if no window of it was made yet and returns its atom, 0 on
// failure (the next window creation tries again).  previous receives the base class's
// procedure, and only for a class that has one.
ATOM RegisterWindowClass(ServerModule& module, WindowClassRecord& record, WNDPROC& previous);
