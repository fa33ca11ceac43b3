#include "tag/text_conversion.h"

#include <memory>

#include "support/ansi_conversion.h"
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
    std::unique_ptr<char[]> ansi;
    const HRESULT result = ConvertToAnsi(text, ansi);
    if (FAILED(result)) RaiseError(result);
    return ansi.release();
}
