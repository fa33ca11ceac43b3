// The window part of the control: creating a window bound to its object, the object's own
// window operations, and the control window's making and destruction.
#include "control/lumex_control.h"

#include "control/entry_stub.h"
#include "control/message_procedures.h"
#include "control/pending_windows.h"
#include "control/window_class.h"
#include "module/server_module.h"

namespace {

constexpr DWORD kControlWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

}  // namespace

WNDPROC ControlWindow::GetMessageProcedure() { return reinterpret_cast<WNDPROC>(SteadyMessageProcedure); }

void ControlWindow::AfterLastMessage(HWND) {}

void ControlWindow::DropEntryStub() {
    if (EntryStub == nullptr) return;
    // A window that outlived its binding must not enter the stub once its slot is reused.
    if (Handle != nullptr && IsWindow(Handle)) {
        SetWindowLongPtrA(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    }
    FreeEntryStub(*TheModule, EntryStub);
    EntryStub = nullptr;
}

HWND ControlWindow::CreateChildWindow(HWND parent, const RECT& rect, LPCSTR name, DWORD style, DWORD extendedStyle,
                                      UINT_PTR childId, ATOM atom, void* creationParameter) {
    if (atom == 0) return nullptr;
    // One stub for one window, written before the window exists, on this thread's own page:
    // a stub left by a window that ended unseen goes first.
    DropEntryStub();
    EntryStub = MakeEntryStub(*TheModule, this, reinterpret_cast<ObjectMessageProcedure>(GetMessageProcedure()));
    if (EntryStub == nullptr) return nullptr;
    PushPendingWindow(*TheModule, Pending, this);
    if (childId == 0 && (style & WS_CHILD) != 0) childId = reinterpret_cast<UINT_PTR>(this);
    const HWND window = CreateWindowExA(extendedStyle, MAKEINTATOM(atom), name, style, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, parent,
                                        reinterpret_cast<HMENU>(childId), TheModule->Instance, creationParameter);
    if (window == nullptr) {
        // A creation refused before its first message leaves the record listed and the stub
        // made; the record lives in this object and must not outlast it there.
        const DWORD error = GetLastError();
        ForgetPendingWindow(*TheModule, Pending);
        DropEntryStub();
        SetLastError(error);
    }
    return window;
}

HWND LumexControl::MakeControlWindow(HWND parent, const RECT& position) {
    const ATOM atom = RegisterWindowClass(*TheModule, ControlWindowClass, PreviousProcedure);
    return CreateChildWindow(parent, position, nullptr, kControlWindowStyle, 0, 0, atom, nullptr);
}

void LumexControl::DestroyControlWindow() {
    HWND& window = WindowHandleRef();
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
    // Its last message gave the stub back.  Refused on a thread that does not own it, the
    // window stays, but must never again enter the stub, which goes now.
    DropEntryStub();
    window = nullptr;
}
