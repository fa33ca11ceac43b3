#include "tag/text_conversion.h"

#include <memory>

#include "tag/com_error.h"

BSTR AnsiToWide(const char* text) {
    if (text == nullptr) return nullptr;
    // Every ANSI byte yields at most one UTF-16 unit, so n units always suffice.
    const int n = lstrlenA(text) + 1;
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[n]);
    if (!buffer) RaiseError(E_OUTOFMEMORY);
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, buffer.get(), n) == 0) RaiseLastError();
    return SysAllocString(buffer.get());
}

char* WideToAnsi(const wchar_t* text) {
    if (text == nullptr) return nullptr;
    // The conversion says how many bytes it needs: a character can take up to
    // three bytes where the system code page is UTF-8.
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size == 0) RaiseLastError();
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
    if (!buffer) RaiseError(E_OUTOFMEMORY);
    buffer[0] = 0;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.get(), size, nullptr, nullptr) == 0) RaiseLastError();
    return buffer.release();
}
