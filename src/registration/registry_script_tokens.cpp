// The tokenizer of the registry script engine: white space, bare and quoted tokens.
#include "registration/ansi_char.h"
#include "registration/registry_script_parser.h"

namespace {

// Vertical tab and form feed are deliberately not white space.
bool IsScriptWhitespace(char ch) noexcept { return ch == '\t' || ch == '\n' || ch == '\r' || ch == ' '; }

}  // namespace

void RegistryScriptParser::SkipWhitespace() noexcept {
    while (IsScriptWhitespace(*Cursor)) Cursor = CharNextA(Cursor);
}

bool RegistryScriptParser::AtClosingQuote() const noexcept {
    return *Cursor == '\'' && *CharNextA(Cursor) != '\'';
}

// Copies the character at Cursor whole, provided it leaves room for the NUL.
HRESULT RegistryScriptParser::StoreChar(char* token, int& stored) noexcept {
    if (stored + 2 >= TokenBufferSize) return DISP_E_EXCEPTION;
    for (int n = AnsiCharLength(Cursor); n > 0; --n) token[stored++] = *Cursor++;
    return S_OK;
}

// A bare token runs to the next white space; "=", "{" and "}" do not separate tokens.
// A quoted token drops its quotes, and '' inside it stands for one quote.
HRESULT RegistryScriptParser::NextToken(char* token) noexcept {
    SkipWhitespace();
    if (*Cursor == '\0') return DISP_E_EXCEPTION;
    int stored = 0;
    HRESULT hr = S_OK;
    if (*Cursor == '\'') {
        ++Cursor;
        while (SUCCEEDED(hr) && !AtClosingQuote()) {
            if (*Cursor == '\0') return DISP_E_EXCEPTION;
            if (*Cursor == '\'') ++Cursor;  // the first of a doubled quote
            hr = StoreChar(token, stored);
        }
        if (SUCCEEDED(hr)) ++Cursor;  // the closing quote
    } else {
        while (SUCCEEDED(hr) && *Cursor != '\0' && !IsScriptWhitespace(*Cursor)) hr = StoreChar(token, stored);
    }
    token[stored] = '\0';
    return hr;
}
