// The replacement pre-pass: %Name% becomes the value of Name, %% becomes one %.
#include <climits>
#include <utility>

#include "registration/expanded_text.h"
#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"

namespace {

constexpr int ReplacementNameBufferSize = 32;  // a name holds at most 31 bytes

}  // namespace

HRESULT RegistryScriptParser::ExpandReplacements(const char* text, ExpandedText& expanded) noexcept {
    const int length = lstrlenA(text);
    if (length > INT_MAX / 2) return E_OUTOFMEMORY;
    ExpandedText result;
    HRESULT hr = result.Allocate(2 * length);
    const char* p = text;
    while (SUCCEEDED(hr) && *p != '\0') {
        if (*p != '%') {
            hr = result.AppendChar(p);
            p = CharNextA(p);
            continue;
        }
        p = CharNextA(p);
        if (*p == '%') {
            hr = result.AppendChar(p);
            p = CharNextA(p);
            continue;
        }
        const char* name = p;
        while (*p != '%') {
            if (*p == '\0') return DISP_E_EXCEPTION;
            p = CharNextA(p);
        }
        const int nameLength = static_cast<int>(p - name);
        if (nameLength >= ReplacementNameBufferSize) return E_FAIL;
        char nameText[ReplacementNameBufferSize];
        lstrcpynA(nameText, name, nameLength + 1);
        const wchar_t* value = Replacements != nullptr ? Replacements->Find(nameText) : nullptr;
        if (value == nullptr) return DISP_E_EXCEPTION;
        hr = result.AppendText(value);
        p = CharNextA(p);  // the closing %
    }
    if (SUCCEEDED(hr)) hr = result.Finish();
    if (SUCCEEDED(hr)) expanded = std::move(result);
    return hr;
}
