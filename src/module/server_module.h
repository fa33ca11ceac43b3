// The library's process-wide record: lock count, the three module locks, the table of
// creatable classes and the functions to run at termination.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "support/critical_section.h"

// A record of a window being created, kept by the window part of a control.
struct PendingWindow;

using RegistryUpdaterFunction = HRESULT(WINAPI*)(BOOL registerPass);
using InstanceMakerFunction = HRESULT(WINAPI*)(IUnknown* outer, REFIID riid, void** ppv);
using ClassObjectMakerFunction = HRESULT(WINAPI*)(InstanceMakerFunction creator, REFIID riid, void** ppv);
using DescriptionGetterFunction = const wchar_t*(WINAPI*)();
using ExitFunction = void(WINAPI*)(DWORD_PTR argument);

// One component category of a class: kind 1 is implemented, any other non-zero kind required.
struct CategoryTableEntry {
    DWORD Kind;
    const GUID* Category;
};
using CategoryTableGetterFunction = const CategoryTableEntry*(WINAPI*)();
using ClassStartStopFunction = void(WINAPI*)(bool initialize);

struct ClassTableEntry {
    const CLSID* ClassId;
    RegistryUpdaterFunction RegistryUpdater;
    ClassObjectMakerFunction ClassObjectMaker;
    InstanceMakerFunction InstanceMaker;
    // Published once with a release store and read without the lock by an acquire
    // load, so a reader that sees the pointer also sees the object it points to.
    std::atomic<IUnknown*> CachedClassObject;
    DWORD RegistrationCookie;
    DescriptionGetterFunction DescriptionGetter;
    CategoryTableGetterFunction CategoryTableGetter;
    ClassStartStopFunction ClassStartStop;
};

struct ExitFunctionEntry {
    ExitFunction Function;
    DWORD_PTR Argument;
    ExitFunctionEntry* Next;
};

struct ServerModule {
    HINSTANCE Instance;
    HINSTANCE TypeLibInstance;
    ClassTableEntry* ClassTable;
    LONG LockCount;
    CriticalSection TypeInfoLock;
    CriticalSection WindowCreationLock;
    CriticalSection ClassTableLock;
    PendingWindow* PendingWindows;  // guarded by WindowCreationLock
    ExitFunctionEntry* ExitFunctions;
};

// The one module of the library, set at process attach.
extern ServerModule* TheModule;

HRESULT StartModule(ServerModule* module, ClassTableEntry* classTable, HINSTANCE instance);
HRESULT StopModule(ServerModule* module);
HRESULT FindClassObject(ServerModule* module, REFCLSID rclsid, REFIID riid, void** ppv);
HRESULT AddExitFunction(ServerModule* module, ExitFunction function, DWORD_PTR argument);
LONG AddModuleLock();
LONG DropModuleLock();
