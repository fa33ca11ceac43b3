#include "registration/registry_value_data.h"

#include <oleauto.h>

#include <memory>

#include "support/ansi_conversion.h"

BYTE HexDigitValue(char ch) noexcept {
    if (ch >= '0' && ch <= '9') return static_cast<BYTE>(ch - '0');
    if (ch >= 'A' && ch <= 'F') return static_cast<BYTE>(ch - 'A' + 10);
    if (ch >= 'a' && ch <= 'f') return static_cast<BYTE>(ch - 'a' + 10);
    return 0;
}

HRESULT DecodeHexBytes(const char* text, int length, BYTE* bytes) noexcept {
    if (length % 2 != 0) return E_FAIL;
    ZeroMemory(bytes, static_cast<size_t>(length / 2));
    for (int i = 0; i < length; ++i) {
        const int shift = i % 2 == 0 ? 4 : 0;
        bytes[i / 2] = static_cast<BYTE>(bytes[i / 2] | (HexDigitValue(text[i]) << shift));
    }
    return S_OK;
}

HRESULT ParseDwordText(const char* text, DWORD* value) noexcept {
    std::unique_ptr<wchar_t[]> wide;
    const HRESULT converted = ConvertToWide(text, wide);
    if (FAILED(converted)) return converted;
    ULONG number = 0;
    if (FAILED(VarUI4FromStr(wide.get(), 0, 0, &number))) return DISP_E_EXCEPTION;
    *value = number;
    return S_OK;
}
