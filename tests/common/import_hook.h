// Points one imported function of a loaded module at a replacement for the life of the
// object, by rewriting the module's import address table.  Lets a test see the arguments
// that a library passes to the platform, where the platform's own answer cannot show
// them (a modal frame, say).
#pragma once
#include <windows.h>

class ImportHook {
public:
    ImportHook(HMODULE module, const char* importedDll, const char* function, void* replacement);
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    ~ImportHook();

    bool Installed() const { return slot_ != nullptr; }
    // The function the table held before.
    void* Original() const { return original_; }

private:
    void Write(void* value);

    void** slot_ = nullptr;
    void* original_ = nullptr;
};
