// A scratch corner of the real registry: HKCU\Software\<root>\<unique> with the subkeys
// "Classes" (a stand-in for HKEY_CLASSES_ROOT) and "User", deleted with the object, the root
// too once no other process uses it.  Free of the test framework: the benchmarks build it too.
#pragma once
#include <windows.h>

#include <string>

class ScratchRegistryKey {
public:
    explicit ScratchRegistryKey(const char* root);
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
    ~ScratchRegistryKey();

    // ERROR_SUCCESS when both subkeys were made, else the first failure.
    LONG Created() const { return created_; }
    HKEY Classes() const { return classes_; }
    HKEY User() const { return user_; }
    // <unique>: the process and a count of the keys it made, so that runs side by side never meet.
    const std::string& UniqueName() const { return unique_; }
    // Software\<root>\<unique>, below HKEY_CURRENT_USER.
    const std::string& Path() const { return path_; }

private:
    std::string root_;
    std::string unique_;
    std::string path_;
    HKEY classes_ = nullptr;
    HKEY user_ = nullptr;
    LONG created_ = ERROR_SUCCESS;
};

// HKEY_CLASSES_ROOT stands for the given key while the object lives.
class ClassesRootOverride {
public:
    explicit ClassesRootOverride(HKEY key) : result_(RegOverridePredefKey(HKEY_CLASSES_ROOT, key)) {}
    ClassesRootOverride(const ClassesRootOverride&) = delete;
    ClassesRootOverride& operator=(const ClassesRootOverride&) = delete;
    ~ClassesRootOverride() { RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }

    LONG Result() const { return result_; }

private:
    LONG result_;
};
