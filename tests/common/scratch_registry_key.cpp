#include "common/scratch_registry_key.h"

ScratchRegistryKey::ScratchRegistryKey(const char* root) : root_(std::string("Software\\") + root) {
    static LONG counter = 0;
    unique_ = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter));
    path_ = root_ + "\\" + unique_;
    created_ = RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\Classes").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &classes_, nullptr);
    const LONG user = RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &user_, nullptr);
    if (created_ == ERROR_SUCCESS) created_ = user;
}

ScratchRegistryKey::~ScratchRegistryKey() {
    if (classes_ != nullptr) RegCloseKey(classes_);
    if (user_ != nullptr) RegCloseKey(user_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, root_.c_str());  // only when no other run uses it
}
