#include "control/entry_stub.h"

#include <cstring>
#include <initializer_list>

#include "module/server_module.h"

namespace {

constexpr SIZE_T kPageSize = 4096;
constexpr SIZE_T kSlotSize = 32;
static_assert(kEntryStubSize <= kSlotSize, "a stub fits its slot");

// The first slot of every page holds its bookkeeping; the others hold stubs or, while
// free, the link to the next free slot.
struct StubPage {
    StubPage* Next;
    void* FreeSlot;
    UINT Used;
};
static_assert(sizeof(StubPage) <= kSlotSize, "the page header fits one slot");

StubPage* Pages = nullptr;  // guarded by the module's WindowCreationLock

StubPage* AllocatePage() {
    void* memory = VirtualAlloc(nullptr, kPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (memory == nullptr) return nullptr;
    auto* bytes = static_cast<BYTE*>(memory);
    auto* page = reinterpret_cast<StubPage*>(bytes);
    page->Next = nullptr;
    page->Used = 0;
    page->FreeSlot = nullptr;
    for (SIZE_T offset = kPageSize - kSlotSize; offset >= kSlotSize; offset -= kSlotSize) {
        void* slot = bytes + offset;
        *static_cast<void**>(slot) = page->FreeSlot;
        page->FreeSlot = slot;
    }
    return page;
}

StubPage* PageOf(void* slot) {
    return reinterpret_cast<StubPage*>(reinterpret_cast<UINT_PTR>(slot) & ~static_cast<UINT_PTR>(kPageSize - 1));
}

void DropPage(StubPage* page) {
    for (StubPage** link = &Pages; *link != nullptr; link = &(*link)->Next) {
        if (*link != page) continue;
        *link = page->Next;
        VirtualFree(page, 0, MEM_RELEASE);
        return;
    }
}

template <class Value>
BYTE* Put(BYTE* at, Value value) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

}  // namespace

void* AcquireEntryStub(ServerModule& module) {
    SectionLock lock(module.WindowCreationLock);
    StubPage* page = Pages;
    while (page != nullptr && page->FreeSlot == nullptr) page = page->Next;
    if (page == nullptr) {
        page = AllocatePage();
        if (page == nullptr) return nullptr;
        page->Next = Pages;
        Pages = page;
    }
    void* slot = page->FreeSlot;
    page->FreeSlot = *static_cast<void**>(slot);
    ++page->Used;
    std::memset(slot, 0xCC, kSlotSize);  // int3 until a stub is written
    return slot;
}

void ReleaseEntryStub(ServerModule& module, void* stub) {
    if (stub == nullptr) return;
    SectionLock lock(module.WindowCreationLock);
    StubPage* page = PageOf(stub);
    std::memset(stub, 0xCC, kSlotSize);
    *static_cast<void**>(stub) = page->FreeSlot;
    page->FreeSlot = stub;
    if (--page->Used == 0) DropPage(page);
}

WNDPROC WriteEntryStub(void* slot, ControlWindow* object, ObjectMessageProcedure target) {
    auto* code = static_cast<BYTE*>(slot);
    BYTE* at = code;
#if defined(_M_IX86) || defined(__i386__)
    // Overwrites the first argument, the window handle, with the object and jumps on.
    for (BYTE opcode : {0xC7, 0x44, 0x24, 0x04}) at = Put(at, opcode);  // mov dword [esp+4], imm32
    at = Put(at, object);
    at = Put<BYTE>(at, 0xE9);  // jmp rel32, counted from the stub's end
    const auto next = reinterpret_cast<INT_PTR>(code + kEntryStubSize);
    at = Put(at, static_cast<INT32>(reinterpret_cast<INT_PTR>(target) - next));
#else
    // The first argument travels in rcx: replace it, then jump through rax.
    for (BYTE opcode : {0x48, 0xB9}) at = Put(at, opcode);  // mov rcx, imm64
    at = Put(at, object);
    for (BYTE opcode : {0x48, 0xB8}) at = Put(at, opcode);  // mov rax, imm64
    at = Put(at, target);
    for (BYTE opcode : {0xFF, 0xE0}) at = Put(at, opcode);  // jmp rax
#endif
    FlushInstructionCache(GetCurrentProcess(), code, kEntryStubSize);
    return reinterpret_cast<WNDPROC>(code);
}
