// The HRESULT form of the calling thread's last Win32 error.
#pragma once
#include <windows.h>

// 0x8007xxxx with the error's low 16 bits; E_FAIL when the system reports no error,
// since the caller has just seen a call fail.
inline HRESULT LastErrorResult() noexcept {
    const DWORD error = GetLastError();
    return error == 0 ? E_FAIL : static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu));
}
