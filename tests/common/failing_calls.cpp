#include "common/failing_calls.h"

BOOL WINAPI FailWrite(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    if (written != nullptr) *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

BOOL WINAPI FailFlush(HANDLE) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
}

BOOL WINAPI FailMove(LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
