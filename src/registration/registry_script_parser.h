// The registry script engine. One text drives both directions: the register pass writes
// every key and value the script names, the unregister pass removes them again.
#pragma once
#include <windows.h>

#include "registration/registry_undo_journal.h"

class ExpandedText;
class ReplacementMap;

class RegistryScriptParser {
public:
    // Every token is read into a buffer of this size; a token holds at most 4094 bytes
    // of text, or 4095 when a double-byte character starts at the last position.
    static constexpr int TokenBufferSize = 4096;
    // Blocks nested deeper than this fail; the root block is level 1.
    static constexpr int MaxBlockDepth = 64;
    // A value name after "Val" holds at most 259 bytes.
    static constexpr int ValueNameBufferSize = 260;

    // The map is not owned and may be null (then no replacement name is known).
    explicit RegistryScriptParser(ReplacementMap* replacements) noexcept : Replacements(replacements) {}
    RegistryScriptParser(const RegistryScriptParser&) = delete;
    RegistryScriptParser& operator=(const RegistryScriptParser&) = delete;

    // Runs the NUL-terminated ANSI script; S_OK or the first error. A failing root block
    // of the register pass is rolled back to the state before it; the blocks before it
    // stay. The unregister pass stops at its first error and removes nothing after it.
    HRESULT RunScript(const char* text, bool registerPass) noexcept;

private:
    HRESULT ExpandReplacements(const char* text, ExpandedText& expanded) noexcept;

    // Tokenizer, over Cursor.
    void SkipWhitespace() noexcept;
    HRESULT NextToken(char* token) noexcept;
    bool AtClosingQuote() const noexcept;
    HRESULT StoreChar(char* token, int& stored) noexcept;

    // Grammar and passes. token is the one shared buffer of TokenBufferSize bytes; on
    // success each operation leaves in it the first token after what it consumed.
    HRESULT RunRootBlocks(char* token, bool registerPass) noexcept;
    HRESULT ProcessKeyBlock(char* token, HKEY parent, bool registerPass, bool skip) noexcept;
    HRESULT ProcessItem(char* token, HKEY parent, bool registerPass, bool skip, bool& deletable) noexcept;
    HRESULT ProcessValueItem(char* token, HKEY parent, bool registerPass, bool skip) noexcept;
    HRESULT RemoveTree(HKEY parent, const char* name) noexcept;
    HRESULT SkipDeletedItem(char* token) noexcept;
    HRESULT RegisterKeyItem(char* token, HKEY parent) noexcept;
    HRESULT UnregisterKeyItem(char* token, HKEY parent, bool deletable, bool skip) noexcept;
    HRESULT ApplyValue(HKEY key, const char* valueName, char* token) noexcept;
    HRESULT WriteValue(HKEY key, const char* valueName, DWORD type, const char* text) noexcept;
    HRESULT SkipAssignment(char* token) noexcept;
    bool PushKeyName(const char* name) noexcept;
    void PopKeyName(int length) noexcept;
    const char* JournalPath() const noexcept { return KeyPath[0] == '\\' ? KeyPath + 1 : KeyPath; }

    const char* Cursor = nullptr;  // read position in the expanded text during a run
    ReplacementMap* Replacements = nullptr;
    int Depth = 0;  // blocks open in the current pass
    // The path of the current key below the root of the block, "\A\B", in the register
    // pass, and what the register attempt of the block changed, for its rollback.
    char* KeyPath = nullptr;
    int KeyPathLength = 0;
    RegistryUndoJournal Journal;

    friend class KeyPathScope;
};
