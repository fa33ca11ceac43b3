#include "support/ansi_conversion.h"

#include <new>

#include "support/last_error.h"

HRESULT ConvertToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept {
    out.reset();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return LastErrorResult();
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!buffer) return E_OUTOFMEMORY;
    buffer[0] = 0;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.get(), size, nullptr, nullptr) <= 0) return LastErrorResult();
    out = std::move(buffer);
    return S_OK;
}

HRESULT ConvertToWide(const char* text, std::unique_ptr<wchar_t[]>& out) noexcept {
    out.reset();
    // Every ANSI byte yields at most one UTF-16 unit, so the byte count always suffices.
    const int size = lstrlenA(text) + 1;
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[static_cast<size_t>(size)]);
    if (!buffer) return E_OUTOFMEMORY;
    buffer[0] = 0;
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, buffer.get(), size) <= 0) return LastErrorResult();
    out = std::move(buffer);
    return S_OK;
}
