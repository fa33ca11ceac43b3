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

ControlWindow::~ControlWindow() {
    if (EntryStub == nullptr) return;
    // A window that outlived its object (destroyed on the wrong thread, say) must not
    // enter the stub once its memory is reused.
    if (Handle != nullptr && IsWindow(Handle)) {
        SetWindowLongPtrA(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    }
    ReleaseEntryStub(*TheModule, EntryStub);
    EntryStub = nullptr;
}

HWND ControlWindow::CreateChildWindow(HWND parent, const RECT& rect, LPCSTR name, DWORD style, DWORD extendedStyle,
                                      UINT_PTR childId, ATOM atom, void* creationParameter) {
    if (atom == 0) return nullptr;
    // The stub's memory is taken with the first window and kept for the object's life.
    if (EntryStub == nullptr) EntryStub = AcquireEntryStub(*TheModule);
    if (EntryStub == nullptr) return nullptr;
    PushPendingWindow(*TheModule, Pending, this);
    if (childId == 0 && (style & WS_CHILD) != 0) childId = reinterpret_cast<UINT_PTR>(this);
    const HWND window = CreateWindowExA(extendedStyle, MAKEINTATOM(atom), name, style, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, parent,
                                        reinterpret_cast<HMENU>(childId), TheModule->Instance, creationParameter);
    // A creation refused before its first message leaves the record listed; it lives in
    // this object and must not outlast it there.
    if (window == nullptr) ForgetPendingWindow(*TheModule, Pending);
    return window;
}

HWND LumexControl::MakeControlWindow(HWND parent, const RECT& position) {
    const ATOM atom = RegisterWindowClass(*TheModule, ControlWindowClass, PreviousProcedure);
    return CreateChildWindow(parent, position, nullptr, kControlWindowStyle, 0, 0, atom, nullptr);
}

void LumexControl::DestroyControlWindow() {
    HWND& window = WindowHandleRef();
    if (window == nullptr) return;
    if (IsWindow(window)) DestroyWindow(window);
    // Refused on a thread that does not own the window: it stays, but must never again
    // enter this object's stub, whose memory goes with the object.
    if (window != nullptr && IsWindow(window)) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    }
    window = nullptr;
}
