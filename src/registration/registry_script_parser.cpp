// Grammar and passes of the registry script engine.
//
// script: root blocks, each a root name, "{", items, "}". An item is
//   [ForceRemove | Delete] [NoRemove] name [= type value] [{ items }]
//   [ForceRemove | Delete] [NoRemove] Val name = type value
// Both passes read the text token by token in the same way, so that the unregister pass
// stays in step with what was written. The register pass records every change in a
// journal before making it; a failing root block is taken back from that journal.
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

// The bytes that a value's text stands for, by type.
class ValueBytes {
public:
    HRESULT Decode(DWORD type, const char* text) noexcept {
        const int length = lstrlenA(text);
        if (type == REG_SZ) {
            Bytes = reinterpret_cast<const BYTE*>(text);
            Size = static_cast<DWORD>(length) + 1;  // the NUL counts
            return S_OK;
        }
        if (type == REG_DWORD) {
            Bytes = reinterpret_cast<const BYTE*>(&Number);
            Size = sizeof Number;
            return ParseDwordText(text, &Number);
        }
        Bytes = Binary;
        Size = static_cast<DWORD>(length / 2);
        return DecodeHexBytes(text, length, Binary);
    }

    const BYTE* Bytes = nullptr;
    DWORD Size = 0;

private:
    DWORD Number = 0;
    BYTE Binary[RegistryScriptParser::TokenBufferSize / 2];
};

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
    Journal.Clear();
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
        hr = ProcessKeyBlock(token, root, registerPass, false);
        if (FAILED(hr)) {
            // A failing block leaves the registry as it found it; the blocks before it stay.
            if (registerPass) Journal.Undo(root);
            return hr;
        }
        Journal.Clear();
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
        // Shared keys are never wiped.
        if (!IsProtectedKeyName(token)) {
            hr = RemoveTree(parent, token);
            if (FAILED(hr)) return hr;
        }
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

// ForceRemove and Delete in the register pass: the key goes with its whole tree, and a
// copy is kept until the block succeeds. A missing key is no error.
HRESULT RegistryScriptParser::RemoveTree(HKEY parent, const char* name) noexcept {
    const KeyPathScope path(*this, name);
    if (!path.Pushed()) return DISP_E_EXCEPTION;
    const HRESULT hr = Journal.RecordTree(parent, name, JournalPath());
    if (FAILED(hr)) return hr;
    RegistryKey::DeleteTree(parent, name);
    return S_OK;
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
    const KeyPathScope path(*this, token);
    if (!path.Pushed()) return DISP_E_EXCEPTION;
    RegistryKey key;
    bool created = false;
    // A key that can only be read is used as it is.
    if (key.Open(parent, token, KEY_ALL_ACCESS) != ERROR_SUCCESS &&
        key.Open(parent, token, KEY_READ) != ERROR_SUCCESS && key.Create(parent, token, &created) != ERROR_SUCCESS) {
        return DISP_E_EXCEPTION;
    }
    HRESULT hr = created ? Journal.RecordCreatedKey(JournalPath()) : S_OK;
    if (FAILED(hr)) {
        // Not in the journal, so the rollback would not find it: it goes now.
        key.Close();
        RegDeleteKeyA(parent, token);
        return hr;
    }
    hr = NextToken(token);
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
    // The pass stops at its first error: the key around it stays, with what it holds.
    if (FAILED(hr)) return hr;
    if (!parseOnly && !KeyHasSubkeys(key.Get())) {
        if (key.Close() != ERROR_SUCCESS) return DISP_E_EXCEPTION;
        if (deletable) RegDeleteKeyA(parent, keptName);
    }
    return S_OK;
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

// The value as it was goes into the journal first; a refused write fails the block,
// which is then rolled back.
HRESULT RegistryScriptParser::WriteValue(HKEY key, const char* valueName, DWORD type, const char* text) noexcept {
    ValueBytes value;
    HRESULT hr = value.Decode(type, text);
    if (SUCCEEDED(hr)) hr = Journal.RecordValue(key, JournalPath(), valueName);
    if (FAILED(hr)) return hr;
    const LONG status = RegSetValueExA(key, valueName, 0, type, value.Bytes, value.Size);
    if (status == ERROR_SUCCESS) return S_OK;
    Journal.DiscardLast();
    return HRESULT_FROM_WIN32(status);
}

// Steps over "= type value" without writing; the type letter is not checked.
HRESULT RegistryScriptParser::SkipAssignment(char* token) noexcept {
    if (token[0] != '=') return S_OK;
    HRESULT hr = NextToken(token);
    if (SUCCEEDED(hr)) hr = NextToken(token);
    if (SUCCEEDED(hr)) hr = NextToken(token);
    return hr;
}
