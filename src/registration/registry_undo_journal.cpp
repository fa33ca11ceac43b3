#include "registration/registry_undo_journal.h"

#include <memory>
#include <new>

#include "registration/registry_key.h"
#include "registration/registry_tree_copy.h"
#include "support/ansi_conversion.h"
#include "support/byte_buffer.h"

namespace {

enum class StepKind { CreatedKey, WroteValue, RemovedTree };

std::unique_ptr<char[]> CopyText(const char* text) noexcept {
    const size_t size = static_cast<size_t>(lstrlenA(text)) + 1;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[size]);
    if (copy) CopyMemory(copy.get(), text, size);
    return copy;
}

}  // namespace

struct RegistryUndoJournal::Step {
    explicit Step(StepKind kind) noexcept : Kind(kind) {}

    StepKind Kind;
    Step* Previous = nullptr;
    std::unique_ptr<char[]> Path;
    // A written value: its name (null for the default value) and what it was before.
    std::unique_ptr<wchar_t[]> ValueName;
    bool HadValue = false;
    DWORD Type = REG_NONE;
    ByteBuffer Data;
    // A deleted tree.
    RegistryTreeCopy Tree;
};

HRESULT RegistryUndoJournal::Push(Step* step) noexcept {
    if (step == nullptr) return E_OUTOFMEMORY;
    step->Previous = Last;
    Last = step;
    return S_OK;
}

HRESULT RegistryUndoJournal::RecordCreatedKey(const char* path) noexcept {
    std::unique_ptr<Step> step(new (std::nothrow) Step(StepKind::CreatedKey));
    if (!step || !(step->Path = CopyText(path))) return E_OUTOFMEMORY;
    return Push(step.release());
}

HRESULT RegistryUndoJournal::RecordValue(HKEY key, const char* path, const char* valueName) noexcept {
    std::unique_ptr<Step> step(new (std::nothrow) Step(StepKind::WroteValue));
    if (!step || !(step->Path = CopyText(path))) return E_OUTOFMEMORY;
    if (valueName != nullptr) {
        const HRESULT converted = ConvertToWide(valueName, step->ValueName);
        if (FAILED(converted)) return converted;
    }
    // The size first, then the bytes; again should the value have grown in between.
    LONG status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD size = 0;
        status = RegQueryValueExW(key, step->ValueName.get(), nullptr, &step->Type, nullptr, &size);
        if (status != ERROR_SUCCESS) break;
        step->Data.Truncate(0);
        BYTE* data = step->Data.Extend(size);
        if (data == nullptr && size > 0) return E_OUTOFMEMORY;
        status = RegQueryValueExW(key, step->ValueName.get(), nullptr, &step->Type, data, &size);
        step->Data.Truncate(size);
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        step->HadValue = false;
    } else if (status == ERROR_SUCCESS) {
        step->HadValue = true;
    } else {
        // What cannot be read cannot be put back: the value is not written.
        return HRESULT_FROM_WIN32(status);
    }
    return Push(step.release());
}

HRESULT RegistryUndoJournal::RecordTree(HKEY parent, const char* name, const char* path) noexcept {
    std::unique_ptr<Step> step(new (std::nothrow) Step(StepKind::RemovedTree));
    if (!step || !(step->Path = CopyText(path))) return E_OUTOFMEMORY;
    const HRESULT read = step->Tree.Read(parent, name);
    if (read != S_OK) return FAILED(read) ? read : S_OK;
    return Push(step.release());
}

void RegistryUndoJournal::DiscardLast() noexcept {
    Step* step = Last;
    if (step == nullptr) return;
    Last = step->Previous;
    delete step;
}

void RegistryUndoJournal::Undo(HKEY root) noexcept {
    for (Step* step = Last; step != nullptr; step = step->Previous) {
        switch (step->Kind) {
            case StepKind::CreatedKey:
                RegistryKey::DeleteTree(root, step->Path.get());
                break;
            case StepKind::RemovedTree:
                step->Tree.Restore(root, step->Path.get());
                break;
            case StepKind::WroteValue: {
                RegistryKey key;
                if (key.Open(root, step->Path.get(), KEY_SET_VALUE) != ERROR_SUCCESS) break;
                if (step->HadValue) {
                    RegSetValueExW(key.Get(), step->ValueName.get(), 0, step->Type, step->Data.Data(),
                                   static_cast<DWORD>(step->Data.Size()));
                } else {
                    RegDeleteValueW(key.Get(), step->ValueName.get());
                }
                break;
            }
        }
    }
    Clear();
}

void RegistryUndoJournal::Clear() noexcept {
    while (Last != nullptr) DiscardLast();
}
