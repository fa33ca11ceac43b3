// Ends a modal dialog that the calling thread is about to run, so a test never hangs on
// it: a thread of its own waits for a dialog window of the watched thread, notes its
// title, and ends the modal loop by posting WM_QUIT to that thread.  The destructor joins
// the thread and removes the WM_QUIT that a modal loop passes on.
#pragma once
#include <windows.h>

#include <string>

class ModalWatchdog {
public:
    explicit ModalWatchdog(DWORD timeoutMs = 10000);
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;
    ~ModalWatchdog();

    // Whether a dialog appeared, and its title; both wait for the watching thread to end.
    bool SawDialog() {
        Join();
        return sawDialog_;
    }
    const std::wstring& DialogTitle() {
        Join();
        return title_;
    }

private:
    void Join();
    static DWORD WINAPI Watch(void* self);
    void WatchForDialog();

    DWORD watchedThread_;
    DWORD timeoutMs_;
    HANDLE thread_ = nullptr;
    volatile LONG stop_ = 0;
    bool sawDialog_ = false;
    std::wstring title_;
};
