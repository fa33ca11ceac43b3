#include "support/ansi_conversion.h"

#include <new>

#include "support/last_error.h"

namespace {

constexpr HRESULT kNoTranslation = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

// Converts length characters (-1: up to and including the terminator) into buffer (null:
// only measures); with exact, without best fit, and lossy tells whether the default
// character had to stand in.  A UTF-8 code page holds every character; it refuses only
// broken surrogates, and takes no default-character argument.
int Convert(const wchar_t* text, int length, char* buffer, int size, bool exact, bool& lossy) noexcept {
    BOOL usedDefault = FALSE;
    lossy = false;
    if (!exact) return WideCharToMultiByte(CP_ACP, 0, text, length, buffer, size, nullptr, nullptr);
    const bool utf8 = GetACP() == CP_UTF8;
    const int written = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text, length,
                                            buffer, size, nullptr, utf8 ? nullptr : &usedDefault);
    lossy = usedDefault != FALSE;
    return written;
}

// A new[]-allocated copy of the whole text, sized by the conversion itself.
HRESULT ConvertWhole(const wchar_t* text, bool exact, std::unique_ptr<char[]>& out) noexcept {
    out.reset();
    bool lossy = false;
    const int size = Convert(text, -1, nullptr, 0, exact, lossy);
    if (size <= 0) return LastErrorResult();
    if (lossy) return kNoTranslation;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!buffer) return E_OUTOFMEMORY;
    buffer[0] = 0;
    if (Convert(text, -1, buffer.get(), size, exact, lossy) <= 0) return LastErrorResult();
    if (lossy) return kNoTranslation;
    out = std::move(buffer);
    return S_OK;
}

}  // namespace

HRESULT ConvertToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept {
    return ConvertWhole(text, false, out);
}

HRESULT ConvertNameToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept {
    return ConvertWhole(text, true, out);
}

bool CodePageHoldsName(const wchar_t* text, int length) noexcept {
    bool lossy = false;
    return Convert(text, length, nullptr, 0, true, lossy) > 0 && !lossy;
}

HRESULT ConvertToWide(const char* text, std::unique_ptr<wchar_t[]>& out) noexcept {
    out.reset();
    // Every ANSI byte yields at most one UTF-16 unit, so the byte count always suffices.
    const int size = lstrlenA(text) + 1;
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[static_cast<size_t>(size)]);
    if (!buffer) return E_OUTOFMEMORY;
    const HRESULT result = ConvertToWideInto(text, buffer.get(), size);
    if (FAILED(result)) return result;
    out = std::move(buffer);
    return S_OK;
}

HRESULT ConvertToWideInto(const char* text, wchar_t* buffer, int size) noexcept {
    buffer[0] = 0;
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, size) <= 0) {
        buffer[0] = 0;
        return LastErrorResult();
    }
    return S_OK;
}

int ConvertRunToWide(const char* text, int length, wchar_t* buffer, int size) noexcept {
    return length == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text, length, buffer, size);
}

int ConvertRunToAnsi(const wchar_t* text, int length, char* buffer, int size) noexcept {
    bool lossy = false;
    return Convert(text, length, buffer, size, false, lossy);
}

void ConvertToAnsiField(const wchar_t* text, int length, char* field, int fieldSize) noexcept {
    field[0] = 0;
    if (length == 0) return;
    bool lossy = false;
    const int written = Convert(text, length, field, fieldSize, true, lossy);
    if (written <= 0 || lossy) {
        field[0] = 0;
    } else if (written < fieldSize) {
        field[written] = 0;
    }
}
