#include "common/registry_tree.h"

namespace {

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return wide;
}

// Every key and value below key into tree, paths relative to the top, in one pass with one
// call per value: whole hives are read this way.  Keys are opened in the given view.
void ReadInto(HKEY key, const std::wstring& path, RegistryTree& tree, REGSAM view) {
    auto& values = tree.Keys[path];
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName, &longestData,
                         nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<wchar_t> name(longestName + 1);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS) break;
        values[std::wstring(name.data(), nameSize)] = {type, std::vector<BYTE>(data.begin(), data.begin() + dataSize)};
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        wchar_t child[256];
        DWORD size = 256;
        if (RegEnumKeyExW(key, i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.emplace_back(child, size);
    }
    for (const std::wstring& child : children) {
        const std::wstring childPath = path.empty() ? child : path + L"\\" + child;
        // HKLM\Software\Wow6432Node\Classes shows Classes\Wow6432Node a second time.
        if (_wcsicmp(childPath.c_str(), L"Wow6432Node\\Classes") == 0) continue;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ | view, &sub) != ERROR_SUCCESS) continue;
        ReadInto(sub, childPath, tree, view);
        RegCloseKey(sub);
    }
}

std::string Escape(const std::wstring& text) {
    std::string out;
    for (wchar_t ch : text) {
        if (ch >= 0x20 && ch < 0x7F) {
            out += static_cast<char>(ch);
        } else {
            char hex[8];
            wsprintfA(hex, "\\u%04X", static_cast<unsigned>(ch));
            out += hex;
        }
    }
    return out;
}

}  // namespace

RegistryTree RegistryTree::Read(HKEY top, REGSAM view) {
    RegistryTree tree;
    ReadInto(top, L"", tree, view);
    return tree;
}

void RegistryTree::AddString(const std::wstring& path, const std::wstring& name, const std::string& ansiText) {
    // As the registry stores a REG_SZ written through the ANSI call: wide, with its NUL.
    const std::wstring wide = Widen(ansiText);
    const auto* bytes = reinterpret_cast<const BYTE*>(wide.c_str());
    Keys[path][name] = {REG_SZ, std::vector<BYTE>(bytes, bytes + (wide.size() + 1) * sizeof(wchar_t))};
}

std::string RegistryTree::Format() const {
    std::string out;
    for (const auto& [path, values] : Keys) {
        out += "[" + Escape(path) + "]\n";
        for (const auto& [name, value] : values) {
            out += "  \"" + Escape(name) + "\" type " + std::to_string(value.first) + ":";
            for (size_t i = 0; i < value.second.size() && i < 48; ++i) {
                char hex[4];
                wsprintfA(hex, " %02X", value.second[i]);
                out += hex;
            }
            if (value.second.size() > 48) out += " ... (" + std::to_string(value.second.size()) + " bytes)";
            out += "\n";
        }
    }
    return out;
}
