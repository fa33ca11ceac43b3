// Grammar and passes of the registry script engine.
//
// script: root blocks, each a root name, "{", items, "}". An item is
//   [ForceRemove | Delete] [NoRemove] name [= type value] [{ items }]
//   [ForceRemove | Delete] [NoRemove] Val name = type value
// Both passes read the text token by token in the same way, so that the unregister pass
// (and the rollback of a failing register pass) stays in step with what was written.
#include "registration/registry_script_parser.h"

#include <memory>
#include <new>

#include "registration/expanded_text.h"
#include "registration/registry_key.h"
#include "registration/registry_tables.h"
#include "registration/registry_value_data.h"

namespace {

class DepthScope {
public:
    explicit DepthScope(int& depth) noexcept : depth_(depth) { ++depth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
    ~DepthScope() { --depth_; }

private:
    int& depth_;
};

// Room for the path of a key at the deepest level: a backslash and a name per level.
constexpr int KeyPathBufferSize = RegistryScriptParser::MaxBlockDepth * MaxKeyNameBytes + 1;

// Only a token that is exactly "{" opens a nested block, in both passes; a key name
// such as {5C3E...} merely begins with the brace.
bool IsBlockOpener(const char* token) noexcept { return token[0] == '{' && token[1] == '\0'; }

// A key item names one subkey: not empty (that would be the parent itself) and without
// a backslash (every level is spelled out as its own block).
HRESULT CheckKeyName(const char* name) noexcept {
    if (*name == '\0') return DISP_E_EXCEPTION;
    for (const char* p = name; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\') return DISP_E_EXCEPTION;
    }
    return S_OK;
}

HRESULT WriteValue(HKEY key, const char* valueName, DWORD type, const char* text) noexcept {
    const int length = lstrlenA(text);
    LONG status = ERROR_SUCCESS;
    if (type == REG_SZ) {
        status = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                static_cast<DWORD>(length) + 1);
    } else if (type == REG_DWORD) {
        DWORD number = 0;
        const HRESULT hr = ParseDwordText(text, &number);
        if (FAILED(hr)) return hr;
        status = RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof number);
    } else {
        BYTE bytes[RegistryScriptParser::TokenBufferSize / 2];
        const HRESULT hr = DecodeHexBytes(text, length, bytes);
        if (FAILED(hr)) return hr;
        status = RegSetValueExA(key, valueName, 0, REG_BINARY, bytes, static_cast<DWORD>(length / 2));
    }
    // A refused write fails the block, which is then rolled back.
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

}  // namespace

// Adds "\name" to the key path for the lifetime of a key item; nothing for a null name.
class KeyPathScope {
public:
    KeyPathScope(RegistryScriptParser& parser, const char* name) noexcept
        : parser_(parser), length_(parser.KeyPathLength), pushed_(name != nullptr && parser.PushKeyName(name)) {}
    KeyPathScope(const KeyPathScope&) = delete;
    KeyPathScope& operator=(const KeyPathScope&) = delete;
    ~KeyPathScope() { parser_.PopKeyName(length_); }
    bool Pushed() const noexcept { return pushed_; }

private:
    RegistryScriptParser& parser_;
    int length_;
    bool pushed_;
};

HRESULT RegistryScriptParser::RunScript(const char* text, bool registerPass) noexcept {
    if (text == nullptr) return E_POINTER;
    ExpandedText expanded;
    HRESULT hr = ExpandReplacements(text, expanded);
    if (FAILED(hr)) return hr;
    std::unique_ptr<char[]> keyPath(new (std::nothrow) char[KeyPathBufferSize]);
    if (!keyPath) return E_OUTOFMEMORY;
    char token[TokenBufferSize];
    Cursor = expanded.Text();
    KeyPath = keyPath.get();
    KeyPath[0] = '\0';
    KeyPathLength = 0;
    Depth = 0;
    hr = RunRootBlocks(token, registerPass);
    Cursor = nullptr;
    KeyPath = nullptr;
    return hr;
}

// Fails only past the limits of depth and name length, which the callers keep.
bool RegistryScriptParser::PushKeyName(const char* name) noexcept {
    const int length = lstrlenA(name);
    if (length >= KeyPathBufferSize - KeyPathLength - 1) return false;
    KeyPath[KeyPathLength] = '\\';
    CopyMemory(KeyPath + KeyPathLength + 1, name, static_cast<size_t>(length) + 1);
    KeyPathLength += length + 1;
    return true;
}

void RegistryScriptParser::PopKeyName(int length) noexcept {
    KeyPathLength = length;
    KeyPath[length] = '\0';
}

HRESULT RegistryScriptParser::RunRootBlocks(char* token, bool registerPass) noexcept {
    while (*Cursor != '\0') {
        HRESULT hr = NextToken(token);
        if (FAILED(hr)) return hr;
        const HKEY root = FindRootKey(token);
        if (root == nullptr) return DISP_E_EXCEPTION;
        hr = NextToken(token);
        if (FAILED(hr)) return hr;
        if (token[0] != '{') return DISP_E_EXCEPTION;
        const char* blockStart = Cursor;
        CreatedKeys.Clear();
        hr = ProcessKeyBlock(token, root, registerPass, false);
        if (FAILED(hr)) {
            // The unregister pass over the failed block removes what it wrote; the
            // blocks before it stay.
            if (registerPass) {
                Cursor = blockStart;
                RollingBack = true;
                ProcessKeyBlock(token, root, false, false);
                RollingBack = false;
            }
            return hr;
        }
        SkipWhitespace();
    }
    return S_OK;
}

// skip: the block belongs to a key that is absent (or already gone) in the unregister
// pass; its items are only parsed.
HRESULT RegistryScriptParser::ProcessKeyBlock(char* token, HKEY parent, bool registerPass, bool skip) noexcept {
    const DepthScope scope(Depth);
    if (Depth > MaxBlockDepth) return DISP_E_EXCEPTION;
    bool deletable = true;  // cleared by "NoRemove" for the rest of this block
    HRESULT hr = NextToken(token);
    while (SUCCEEDED(hr)) {
        if (token[0] == '}') return S_OK;
        hr = ProcessItem(token, parent, registerPass, skip, deletable);
    }
    return hr;
}

HRESULT RegistryScriptParser::ProcessItem(char* token, HKEY parent, bool registerPass, bool skip,
                                          bool& deletable) noexcept {
    const bool forceRemove = IsKeyword(token, ScriptKeyword::ForceRemove);
    const bool deleteOnly = !forceRemove && IsKeyword(token, ScriptKeyword::Delete);
    HRESULT hr = S_OK;
    if (forceRemove || deleteOnly) {
        hr = NextToken(token);
        if (FAILED(hr)) return hr;
    }
    // "NoRemove" may follow a deletion prefix; the deletion then applies to the key after it.
    if (IsKeyword(token, ScriptKeyword::NoRemove)) {
        deletable = false;
        hr = NextToken(token);
        if (FAILED(hr)) return hr;
    }
    if (IsKeyword(token, ScriptKeyword::Val)) return ProcessValueItem(token, parent, registerPass, skip);
    hr = CheckKeyName(token);
    if (FAILED(hr)) return hr;
    if (registerPass && (forceRemove || deleteOnly)) {
        // A missing key is no error. Shared keys are never wiped.
        if (!IsProtectedKeyName(token)) RegistryKey::DeleteTree(parent, token);
        if (deleteOnly) return SkipDeletedItem(token);
    }
    return registerPass ? RegisterKeyItem(token, parent) : UnregisterKeyItem(token, parent, deletable, skip);
}

HRESULT RegistryScriptParser::ProcessValueItem(char* token, HKEY parent, bool registerPass, bool skip) noexcept {
    HRESULT hr = NextToken(token);
    if (FAILED(hr)) return hr;
    if (lstrlenA(token) >= ValueNameBufferSize) return DISP_E_EXCEPTION;
    char valueName[ValueNameBufferSize];
    lstrcpynA(valueName, token, ValueNameBufferSize);
    hr = NextToken(token);
    if (FAILED(hr)) return hr;
    if (token[0] != '=') return DISP_E_EXCEPTION;
    if (registerPass) {
        hr = ApplyValue(parent, valueName, token);
    } else {
        // "NoRemove" protects keys, not values.
        if (!skip) RegDeleteValueA(parent, valueName);
        hr = SkipAssignment(token);
    }
    // A value has no block: one here would belong to no key.
    if (SUCCEEDED(hr) && IsBlockOpener(token)) return DISP_E_EXCEPTION;
    return hr;
}

// The rest of a "Delete" item in the register pass: its assignment is not written.
HRESULT RegistryScriptParser::SkipDeletedItem(char* token) noexcept {
    HRESULT hr = NextToken(token);
    if (SUCCEEDED(hr)) hr = SkipAssignment(token);
    // A deleted key has no block to fill.
    if (SUCCEEDED(hr) && IsBlockOpener(token)) return DISP_E_EXCEPTION;
    return hr;
}

// Opens the key, or creates it; writes its default value and its block.
HRESULT RegistryScriptParser::RegisterKeyItem(char* token, HKEY parent) noexcept {
    RegistryKey key;
    bool created = false;
    // A key that can only be read is used as it is.
    if (key.Open(parent, token, KEY_ALL_ACCESS) != ERROR_SUCCESS &&
        key.Open(parent, token, KEY_READ) != ERROR_SUCCESS && key.Create(parent, token, &created) != ERROR_SUCCESS) {
        return DISP_E_EXCEPTION;
    }
    const KeyPathScope path(*this, token);
    if (!path.Pushed()) return DISP_E_EXCEPTION;
    HRESULT hr = created ? CreatedKeys.Record(KeyPath) : S_OK;
    if (SUCCEEDED(hr)) hr = NextToken(token);
    if (SUCCEEDED(hr) && token[0] == '=') hr = ApplyValue(key.Get(), nullptr, token);
    if (SUCCEEDED(hr) && IsBlockOpener(token)) {
        hr = ProcessKeyBlock(token, key.Get(), true, false);
        if (SUCCEEDED(hr)) hr = NextToken(token);
    }
    if (key.Close() != ERROR_SUCCESS && SUCCEEDED(hr)) hr = DISP_E_EXCEPTION;
    return hr;
}

// Removes the key once its block has been worked through, unless it still has subkeys
// the script does not name, or a "NoRemove" stands before it in its block. An absent key
// leaves only its own item, block included, to be parsed.
HRESULT RegistryScriptParser::UnregisterKeyItem(char* token, HKEY parent, bool deletable, bool skip) noexcept {
    RegistryKey key;
    // A name too long for any key can name none, like an absent key. Named values are
    // deleted through the key, so it is opened for that where the registry allows.
    const bool absent = skip || lstrlenA(token) >= MaxKeyNameBytes ||
                        (key.Open(parent, token, KEY_READ | KEY_SET_VALUE) != ERROR_SUCCESS &&
                         key.Open(parent, token, KEY_READ) != ERROR_SUCCESS);
    char keptName[MaxKeyNameBytes];
    if (!absent) lstrcpynA(keptName, token, MaxKeyNameBytes);
    const KeyPathScope path(*this, absent ? nullptr : keptName);
    if (!absent && !path.Pushed()) return DISP_E_EXCEPTION;
    if (RollingBack && !absent && CreatedKeys.Contains(KeyPath)) deletable = true;
    // Without subkeys or named values nothing the block could name exists below the
    // key: it goes at once, and its block is only parsed.
    const bool removeNow = !absent && !KeyHasSubkeys(key.Get()) && !KeyHasNamedValues(key.Get());
    if (removeNow) {
        if (key.Close() != ERROR_SUCCESS) return DISP_E_EXCEPTION;
        if (deletable) RegDeleteKeyA(parent, keptName);
    }
    const bool parseOnly = absent || removeNow;
    HRESULT hr = NextToken(token);
    if (SUCCEEDED(hr)) hr = SkipAssignment(token);
    if (SUCCEEDED(hr) && IsBlockOpener(token)) {
        hr = ProcessKeyBlock(token, parseOnly ? nullptr : key.Get(), false, parseOnly);
        if (SUCCEEDED(hr)) hr = NextToken(token);
    }
    // Also when the text broke off inside the block: a rolled-back block must not leave
    // the keys around the break behind.
    if (!parseOnly && !KeyHasSubkeys(key.Get())) {
        if (key.Close() != ERROR_SUCCESS) return SUCCEEDED(hr) ? DISP_E_EXCEPTION : hr;
        if (deletable) RegDeleteKeyA(parent, keptName);
    }
    return hr;
}

// token holds the "="; reads the type letter and the value and writes the value.
HRESULT RegistryScriptParser::ApplyValue(HKEY key, const char* valueName, char* token) noexcept {
    HRESULT hr = NextToken(token);
    if (FAILED(hr)) return hr;
    const ValueTypeEntry* type = FindValueType(token);
    if (type == nullptr) return DISP_E_EXCEPTION;
    hr = NextToken(token);
    if (FAILED(hr)) return hr;
    hr = WriteValue(key, valueName, type->Type, token);
    if (FAILED(hr)) return hr;
    return NextToken(token);
}

// Steps over "= type value" without writing; the type letter is not checked.
HRESULT RegistryScriptParser::SkipAssignment(char* token) noexcept {
    if (token[0] != '=') return S_OK;
    HRESULT hr = NextToken(token);
    if (SUCCEEDED(hr)) hr = NextToken(token);
    if (SUCCEEDED(hr)) hr = NextToken(token);
    return hr;
}
