#include "registry_snapshot.h"

namespace {

class KeyHandle {
public:
    explicit KeyHandle(HKEY key) : key_(key) {}
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() { RegCloseKey(key_); }
    HKEY Get() const { return key_; }

private:
    HKEY key_;
};

void ReadValues(HKEY key, RegistryValues& values) {
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        if (RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS) break;
        values[std::wstring(name.data(), nameSize)] = {type, std::vector<BYTE>(data.begin(), data.begin() + dataSize)};
    }
}

void ReadTree(HKEY key, const std::wstring& path, RegistrySnapshot& snapshot, const wchar_t* skipped) {
    ReadValues(key, snapshot.Keys[path]);
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD size = 256;
        if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (skipped == nullptr || lstrcmpiW(name, skipped) != 0) children.emplace_back(name, size);
    }
    for (const std::wstring& child : children) {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) continue;
        KeyHandle sub(opened);
        ReadTree(sub.Get(), path.empty() ? child : path + L"\\" + child, snapshot, nullptr);
    }
}

}  // namespace

RegistrySnapshot RegistrySnapshot::Read(HKEY top, const wchar_t* skipped) {
    RegistrySnapshot snapshot;
    ReadTree(top, L"", snapshot, skipped);
    return snapshot;
}

bool RegistrySnapshot::HasChildren(const std::wstring& path) const {
    // Every key below path sorts directly after "path\".
    const std::wstring prefix = path + L"\\";
    auto next = Keys.lower_bound(prefix);
    return next != Keys.end() && next->first.size() > prefix.size() &&
           CompareStringOrdinal(next->first.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ParentPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring TextOf(const RegistryData& data) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.Bytes.data()), data.Bytes.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}
