#include "tag/text_conversion.h"

#include <memory>

#include "support/ansi_conversion.h"
#include "tag/com_error.h"

BSTR AnsiToWide(const char* text) {
    if (text == nullptr) return nullptr;
    std::unique_ptr<wchar_t[]> wide;
    const HRESULT result = ConvertToWide(text, wide);
    if (FAILED(result)) RaiseError(result);
    return SysAllocString(wide.get());
}

char* WideToAnsi(const wchar_t* text) {
    if (text == nullptr) return nullptr;
    std::unique_ptr<char[]> ansi;
    const HRESULT result = ConvertToAnsi(text, ansi);
    if (FAILED(result)) RaiseError(result);
    return ansi.release();
}
