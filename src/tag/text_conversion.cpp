#include "tag/text_conversion.h"

#include <memory>

#include "support/ansi_conversion.h"
#include "tag/com_error.h"

namespace {

// Room for every text of a tag (at most 30 bytes) in the call's own working storage.
constexpr int kStackCharacters = 64;

}  // namespace

BSTR AnsiToWide(const char* text) {
    if (text == nullptr) return nullptr;
    const int size = lstrlenA(text) + 1;
    if (size <= kStackCharacters) {
        wchar_t buffer[kStackCharacters];
        const HRESULT result = ConvertToWideInto(text, buffer, size);
        if (FAILED(result)) RaiseError(result);
        return SysAllocString(buffer);
    }
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
