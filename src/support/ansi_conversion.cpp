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

namespace {

constexpr HRESULT kNoTranslation = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

// Converts without best fit and tells whether the default character had to stand in.  A
// UTF-8 code page holds every character; it refuses only broken surrogates, and takes no
// default-character argument.
int ConvertExactly(const wchar_t* text, int length, char* buffer, int size, bool& lossy) noexcept {
    BOOL usedDefault = FALSE;
    const bool utf8 = GetACP() == CP_UTF8;
    const int written = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text, length,
                                            buffer, size, nullptr, utf8 ? nullptr : &usedDefault);
    lossy = usedDefault != FALSE;
    return written;
}

}  // namespace

HRESULT ConvertNameToAnsi(const wchar_t* text, std::unique_ptr<char[]>& out) noexcept {
    out.reset();
    bool lossy = false;
    const int size = ConvertExactly(text, -1, nullptr, 0, lossy);
    if (size <= 0) return LastErrorResult();
    if (lossy) return kNoTranslation;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!buffer) return E_OUTOFMEMORY;
    buffer[0] = 0;
    if (ConvertExactly(text, -1, buffer.get(), size, lossy) <= 0) return LastErrorResult();
    if (lossy) return kNoTranslation;
    out = std::move(buffer);
    return S_OK;
}

bool CodePageHoldsName(const wchar_t* text, int length) noexcept {
    bool lossy = false;
    return ConvertExactly(text, length, nullptr, 0, lossy) > 0 && !lossy;
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

void ConvertToAnsiField(const wchar_t* text, int length, char* field, int fieldSize) noexcept {
    field[0] = 0;
    if (length == 0) return;
    bool lossy = false;
    const int written = ConvertExactly(text, length, field, fieldSize, lossy);
    if (written <= 0 || lossy) {
        field[0] = 0;
    } else if (written < fieldSize) {
        field[written] = 0;
    }
}
