// What one register attempt of a root block changed, recorded before each change is
// made, so that a failing block can be taken back to the state before it: the keys it
// created are removed, the values it overwrote or added are put back, and the trees it
// deleted are restored from their copies. Nothing that existed before is removed.
#pragma once
#include <windows.h>

class RegistryUndoJournal {
public:
    RegistryUndoJournal() noexcept = default;
    RegistryUndoJournal(const RegistryUndoJournal&) = delete;
    RegistryUndoJournal& operator=(const RegistryUndoJournal&) = delete;
    ~RegistryUndoJournal() { Clear(); }

    // Paths name keys below the root of the block ("A\B"; "" for the root itself).

    // A key the attempt has just created.
    HRESULT RecordCreatedKey(const char* path) noexcept;
    // A value of the open key at path as it is before the attempt writes it; a null
    // name is the key's default value.
    HRESULT RecordValue(HKEY key, const char* path, const char* valueName) noexcept;
    // A copy of parent\name, the key at path, before the attempt deletes it; nothing is
    // recorded when there is no such key.
    HRESULT RecordTree(HKEY parent, const char* name, const char* path) noexcept;
    // Drops the last step: the change it was recorded for was not made.
    void DiscardLast() noexcept;

    // Takes every step back under root, the last first, and forgets them. Goes on past a
    // step that cannot be taken back.
    void Undo(HKEY root) noexcept;
    // Forgets every step: the block succeeded, or a new one begins.
    void Clear() noexcept;

private:
    struct Step;
    HRESULT Push(Step* step) noexcept;

    Step* Last = nullptr;
};
