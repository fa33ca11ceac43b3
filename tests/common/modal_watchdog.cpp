#include "common/modal_watchdog.h"

namespace {

struct Search {
    HWND Dialog = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM argument) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    reinterpret_cast<Search*>(argument)->Dialog = window;
    return FALSE;
}

}  // namespace

ModalWatchdog::ModalWatchdog(DWORD timeoutMs) : watchedThread_(GetCurrentThreadId()), timeoutMs_(timeoutMs) {
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

ModalWatchdog::~ModalWatchdog() {
    Join();
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void ModalWatchdog::Join() {
    InterlockedExchange(&stop_, 1);
    if (thread_ == nullptr) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

DWORD WINAPI ModalWatchdog::Watch(void* self) {
    static_cast<ModalWatchdog*>(self)->WatchForDialog();
    return 0;
}

void ModalWatchdog::WatchForDialog() {
    const DWORD start = GetTickCount();
    while (stop_ == 0) {
        Search search;
        EnumThreadWindows(watchedThread_, FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.Dialog != nullptr) {
            wchar_t title[256] = {};
            GetWindowTextW(search.Dialog, title, 256);
            title_ = title;
            sawDialog_ = true;
            PostThreadMessageW(watchedThread_, WM_QUIT, 0, 0);
            return;
        }
        if (GetTickCount() - start > timeoutMs_) {
            PostThreadMessageW(watchedThread_, WM_QUIT, 0, 0);  // never hang, whatever runs
            return;
        }
        Sleep(20);
    }
}
