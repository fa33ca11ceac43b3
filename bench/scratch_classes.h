// A scratch stand-in for HKEY_CLASSES_ROOT, where registry scripts can run over and over
// without touching the real classes, and the script that the library ships.
#pragma once
#include <windows.h>

#include <string>

// HKCU\Software\TarvikBench\<process id>\Classes; HKEY_CLASSES_ROOT points at it while a
// Scope lives.  Deleted at the end.
class ScratchClasses {
public:
    ScratchClasses();
    ScratchClasses(const ScratchClasses&) = delete;
    ScratchClasses& operator=(const ScratchClasses&) = delete;
    ~ScratchClasses();

    class Scope {
    public:
        explicit Scope(const ScratchClasses& scratch) { RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch.classes_); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        ~Scope() { RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }
    };

    // Every key below Classes.
    size_t CountKeys() const;

private:
    std::string path_;
    HKEY classes_ = nullptr;
};

// The registry script compiled into the library (resource "REGISTRY" TARVIK_LUMEX_REGISTRY_RESOURCE).
std::string ShippedScript(HMODULE module);

// One pass of a script through the library's engine, with "Module" set to a fixed path.
HRESULT RunRegistryScript(const std::string& script, bool registerPass);
