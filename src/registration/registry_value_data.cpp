#include "registration/registry_value_data.h"

#include <oleauto.h>

#include "registration/registry_script_parser.h"

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
    wchar_t wide[RegistryScriptParser::TokenBufferSize];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, RegistryScriptParser::TokenBufferSize) == 0) {
        return DISP_E_EXCEPTION;
    }
    ULONG number = 0;
    if (FAILED(VarUI4FromStr(wide, 0, 0, &number))) return DISP_E_EXCEPTION;
    *value = number;
    return S_OK;
}
