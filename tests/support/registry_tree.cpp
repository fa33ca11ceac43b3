#include "support/registry_tree.h"

namespace {

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return wide;
}

void ReadInto(HKEY key, const std::wstring& path, RegistryTree& tree) {
    auto& values = tree.Keys[path];
    for (DWORD i = 0;; ++i) {
        std::vector<wchar_t> name(16384);
        DWORD nameSize = 16384, type = 0, dataSize = 0;
        if (RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) {
            break;
        }
        std::vector<BYTE> data(dataSize);
        nameSize = 16384;
        RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        data.resize(dataSize);
        values[std::wstring(name.data(), nameSize)] = {type, data};
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD size = 256;
        if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.emplace_back(name, size);
    }
    for (const std::wstring& child : children) {
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        ReadInto(sub, path.empty() ? child : path + L"\\" + child, tree);
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

RegistryTree RegistryTree::Read(HKEY top) {
    RegistryTree tree;
    ReadInto(top, L"", tree);
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
