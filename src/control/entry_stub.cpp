#include "control/entry_stub.h"

#include <bitset>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "module/server_module.h"

namespace {

constexpr SIZE_T kPageSize = 4096;
constexpr SIZE_T kSlotSize = 32;
constexpr size_t kSlotsPerPage = kPageSize / kSlotSize;
constexpr BYTE kBreakpoint = 0xCC;  // int3: a slot without a stub traps
static_assert(kEntryStubSize <= kSlotSize, "a stub fits its slot");

// A page of stubs and its bookkeeping, which lives in ordinary memory apart from the page,
// so that nothing but stubs is ever written there.
struct StubPage {
    BYTE* Code = nullptr;
    DWORD Thread = 0;  // whose windows' stubs live here; only it changes the page
    std::bitset<kSlotsPerPage> Used;
    std::bitset<kSlotsPerPage> Uncleared;  // given back on another thread, the old stub still in them
    StubPage* Next = nullptr;
};

StubPage* Pages = nullptr;  // guarded by the module's WindowCreationLock

StubPage* FindPageWithRoom(DWORD thread) {
    for (StubPage* page = Pages; page != nullptr; page = page->Next) {
        if (page->Thread == thread && !page->Used.all()) return page;
    }
    return nullptr;
}

StubPage* FindPageHolding(const BYTE* code) {
    for (StubPage* page = Pages; page != nullptr; page = page->Next) {
        if (code >= page->Code && code < page->Code + kPageSize) return page;
    }
    return nullptr;
}

size_t FindFreeSlot(const StubPage& page) {
    size_t slot = 0;
    while (page.Used[slot]) ++slot;
    return slot;
}

// A new page of the thread's, listed, writable until its first stub is in; null, with the
// system's error, when none can be had.
StubPage* AddPage(DWORD thread) {
    std::unique_ptr<StubPage> page(new (std::nothrow) StubPage);
    if (!page) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    page->Code = static_cast<BYTE*>(VirtualAlloc(nullptr, kPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (page->Code == nullptr) return nullptr;
    std::memset(page->Code, kBreakpoint, kPageSize);
    page->Thread = thread;
    page->Next = Pages;
    Pages = page.get();
    return page.release();
}

// Unlists the page and gives it back, keeping the thread's last error for the caller.
void RemovePage(StubPage* page) {
    const DWORD error = GetLastError();
    for (StubPage** link = &Pages; *link != nullptr; link = &(*link)->Next) {
        if (*link != page) continue;
        *link = page->Next;
        VirtualFree(page->Code, 0, MEM_RELEASE);
        delete page;
        break;
    }
    SetLastError(error);
}

bool MakeWritable(StubPage& page) {
    DWORD previous = 0;
    return VirtualProtect(page.Code, kPageSize, PAGE_READWRITE, &previous) != FALSE;
}

// Back to read and execute, and what was written made visible to the processor.
bool MakeExecutable(StubPage& page) {
    DWORD previous = 0;
    if (!VirtualProtect(page.Code, kPageSize, PAGE_EXECUTE_READ, &previous)) return false;
    FlushInstructionCache(GetCurrentProcess(), page.Code, kPageSize);
    return true;
}

// Back to read and execute for the live stubs on a page whose change back was refused once;
// a refusal can pass (another thread's change of the same region, say), so it is asked again.
bool RestoreExecutable(StubPage& page) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (MakeExecutable(page)) return true;
    }
    return false;
}

// Whether the page's thread has ended.  Asked only of a page without stubs, by the thread's
// identifier (a page holds no handle, which would keep a count of the process's own): an
// identifier no thread holds is an ended thread's; one taken again by a new thread keeps
// the page until that thread's next stub call.
bool OwnerEnded(const StubPage& page) {
    const HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, page.Thread);
    if (thread == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

// Gives back every page without stubs that no thread can be about to enter: those of thread
// (the caller, which is not in a stub of them) and those whose thread has ended, its windows
// with it.  A page emptied on another thread waits here until then.
void ReleaseIdlePages(DWORD thread) {
    for (StubPage* page = Pages; page != nullptr;) {
        StubPage* const next = page->Next;
        if (page->Used.none() && (page->Thread == thread || OwnerEnded(*page))) RemovePage(page);
        page = next;
    }
}

BYTE* SlotAt(StubPage& page, size_t slot) { return page.Code + slot * kSlotSize; }

// Fills the slot, and every slot given back on another thread, with breakpoints; the page
// is writable.
void ClearSlots(StubPage& page, size_t slot) {
    page.Uncleared.set(slot);
    for (size_t i = 0; i < kSlotsPerPage; ++i) {
        if (page.Uncleared[i]) std::memset(SlotAt(page, i), kBreakpoint, kSlotSize);
    }
    page.Uncleared.reset();
}

template <class Value>
BYTE* Put(BYTE* at, Value value) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

void WriteStub(BYTE* code, ControlWindow* object, ObjectMessageProcedure target) {
    BYTE* at = code;
#if defined(_M_IX86) || defined(__i386__)
    // Overwrites the first argument, the window handle, with the object and jumps on.
    for (BYTE opcode : {0xC7, 0x44, 0x24, 0x04}) at = Put(at, opcode);  // mov dword [esp+4], imm32
    at = Put(at, object);
    at = Put<BYTE>(at, 0xE9);  // jmp rel32, counted from the stub's end
    const auto next = reinterpret_cast<INT_PTR>(code + kEntryStubSize);
    Put(at, static_cast<INT32>(reinterpret_cast<INT_PTR>(target) - next));
#else
    // The first argument travels in rcx: replace it, then jump through rax.
    for (BYTE opcode : {0x48, 0xB9}) at = Put(at, opcode);  // mov rcx, imm64
    at = Put(at, object);
    for (BYTE opcode : {0x48, 0xB8}) at = Put(at, opcode);  // mov rax, imm64
    at = Put(at, target);
    for (BYTE opcode : {0xFF, 0xE0}) at = Put(at, opcode);  // jmp rax
#endif
}

}  // namespace

WNDPROC MakeEntryStub(ServerModule& module, ControlWindow* object, ObjectMessageProcedure target) {
    const DWORD thread = GetCurrentThreadId();
    SectionLock lock(module.WindowCreationLock);
    ReleaseIdlePages(0);  // only the ended threads': this thread's idle page takes the stub
    StubPage* page = FindPageWithRoom(thread);
    if (page == nullptr) {
        page = AddPage(thread);
        if (page == nullptr) return nullptr;
    } else if (!MakeWritable(*page)) {
        return nullptr;  // the page and its stubs as they were
    }
    const size_t slot = FindFreeSlot(*page);
    ClearSlots(*page, slot);
    WriteStub(SlotAt(*page, slot), object, target);
    if (!MakeExecutable(*page)) {
        // Refused, the page still writable: the slot traps again; a page without stubs goes,
        // one with live stubs must execute again for their windows.
        const DWORD error = GetLastError();
        std::memset(SlotAt(*page, slot), kBreakpoint, kSlotSize);
        if (page->Used.none()) {
            RemovePage(page);
        } else {
            RestoreExecutable(*page);
        }
        SetLastError(error);
        return nullptr;
    }
    page->Used.set(slot);
    return reinterpret_cast<WNDPROC>(SlotAt(*page, slot));
}

void FreeEntryStub(ServerModule& module, WNDPROC stub) {
    if (stub == nullptr) return;
    const auto* code = reinterpret_cast<const BYTE*>(stub);
    SectionLock lock(module.WindowCreationLock);
    StubPage* page = FindPageHolding(code);
    if (page == nullptr) return;
    const auto slot = static_cast<size_t>(code - page->Code) / kSlotSize;
    const DWORD thread = GetCurrentThreadId();
    page->Used.reset(slot);
    // The page's own thread may be running one of its stubs right now, or be about to enter
    // this one for a window that outlived its object: only that thread changes the page or
    // gives it back, or any thread once it has ended.
    if (page->Thread != thread || page->Used.none() || !MakeWritable(*page)) {
        page->Uncleared.set(slot);
        ReleaseIdlePages(thread);
        return;
    }
    ClearSlots(*page, slot);
    RestoreExecutable(*page);
    ReleaseIdlePages(thread);
}
