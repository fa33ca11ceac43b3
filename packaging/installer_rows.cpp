#include "installer_rows.h"

#include <algorithm>
#include <cstring>

namespace {

bool FitsPackageCodePage(const std::wstring& text) {
    if (text.empty()) return true;
    BOOL lost = FALSE;
    const int size = WideCharToMultiByte(kPackageCodePage, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &lost);
    return size > 0 && !lost;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::string XmlAttribute(const std::wstring& text) {
    std::string out;
    for (char c : Utf8(text)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

bool StartsWith(const std::wstring& text, size_t at, const std::wstring& part) {
    return !part.empty() && text.compare(at, part.size(), part) == 0;
}

// Registry table text is of the installer's Formatted type: brackets are escaped, and the
// library's path and folder become references that the installer resolves at install time.
std::wstring FormattedText(const std::wstring& text, const InstalledFile& file) {
    const std::wstring folder = file.RecordedPath.substr(0, file.RecordedPath.rfind(L'\\') + 1);
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        if (StartsWith(text, i, file.RecordedPath)) {
            out += file.File;
            i += file.RecordedPath.size();
        } else if (StartsWith(text, i, folder)) {
            out += file.Folder;
            i += folder.size();
        } else {
            if (text[i] == L'[' || text[i] == L']') {
                out += L"[\\";
                out += text[i];
                out += L']';
            } else {
                out += text[i];
            }
            ++i;
        }
    }
    return out;
}

class RowBuilder {
public:
    RowBuilder(const InstalledFile& file, std::vector<std::wstring>& problems) : file_(file), problems_(problems) {}

    // The key is to exist: created on install, removed with everything below it on
    // uninstall when `owned`, otherwise only created.
    std::string KeyRow(const std::wstring& key, bool owned) {
        return Row(key, owned ? L"*" : L"+", L"string", L"");
    }

    std::string ValueRow(const std::wstring& key, const std::wstring& name, const RegistryData& data) {
        const std::wstring where = key + L" [" + name + L"]";
        switch (data.Type) {
            case REG_SZ:
            case REG_EXPAND_SZ: {
                const std::wstring text = TextOf(data);
                if (text.empty()) problems_.push_back(where + L": an empty text, which a registry row cannot write");
                if (!text.empty() && text[0] == L'#') problems_.push_back(where + L": a text starting with '#'");
                return Row(key, name, data.Type == REG_SZ ? L"string" : L"expandable", Formatted(where, text));
            }
            case REG_DWORD: {
                DWORD number = 0;
                if (data.Bytes.size() == sizeof number) std::memcpy(&number, data.Bytes.data(), sizeof number);
                return Row(key, name, L"integer", std::to_wstring(static_cast<long>(number)));
            }
            default:
                problems_.push_back(where + L": a value of registry type " + std::to_wstring(data.Type));
                return {};
        }
    }

private:
    std::wstring Formatted(const std::wstring& where, const std::wstring& text) {
        if (!FitsPackageCodePage(text)) problems_.push_back(where + L": text outside the package's code page");
        if (text.find(L"$(") != std::wstring::npos) problems_.push_back(where + L": text that wixl would read as a variable");
        const std::wstring formatted = FormattedText(text, file_);
        const std::wstring folder = file_.RecordedPath.substr(0, file_.RecordedPath.rfind(L'\\'));
        if (formatted.find(folder) != std::wstring::npos) problems_.push_back(where + L": the library's folder in an unexpected form");
        return formatted;
    }

    std::string Row(const std::wstring& key, const std::wstring& name, const std::wstring& type, const std::wstring& value) {
        const std::wstring formattedKey = Formatted(key, key);
        std::string row = "<RegistryValue Root=\"HKCR\" Key=\"" + XmlAttribute(formattedKey) + "\"";
        if (!name.empty()) row += " Name=\"" + XmlAttribute(name == L"*" || name == L"+" ? name : Formatted(key, name)) + "\"";
        row += " Type=\"" + XmlAttribute(type) + "\" Value=\"" + XmlAttribute(value) + "\"/>";
        return row;
    }

    const InstalledFile& file_;
    std::vector<std::wstring>& problems_;
};

// The type library's registration goes with the type library file that both packages share.
bool IsTypeLibraryKey(const std::wstring& path) {
    return CompareStringOrdinal(path.c_str(), static_cast<int>(std::min<size_t>(path.size(), 8)), L"TypeLib\\", 8, TRUE) ==
           CSTR_EQUAL;
}

void ReportChangedState(const RegistrySnapshot& before, const RegistrySnapshot& registered, std::vector<std::wstring>& problems) {
    for (const auto& [path, values] : before.Keys) {
        auto now = registered.Keys.find(path);
        if (now == registered.Keys.end()) {
            problems.push_back(path + L": removed by the registration");
            continue;
        }
        for (const auto& [name, data] : values) {
            auto value = now->second.find(name);
            if (value == now->second.end() || value->second != data) problems.push_back(path + L" [" + name + L"]: changed by the registration");
        }
    }
}

}  // namespace

InstallerRows RowsForRegistration(const RegistrySnapshot& before, const RegistrySnapshot& registered,
                                  const InstalledFile& library, const InstalledFile& typeLibrary) {
    InstallerRows rows;
    ReportChangedState(before, registered, rows.Problems);
    RowBuilder forLibrary(library, rows.Problems);
    RowBuilder forTypeLibrary(typeLibrary, rows.Problems);
    for (const auto& [path, values] : registered.Keys) {
        const bool typeLib = IsTypeLibraryKey(path);
        RowBuilder& builder = typeLib ? forTypeLibrary : forLibrary;
        std::vector<std::string>& out = typeLib ? rows.TypeLibrary : rows.Library;
        const auto old = before.Keys.find(path);
        const bool created = old == before.Keys.end();
        if (created && before.Has(ParentPath(path))) {
            out.push_back(builder.KeyRow(path, true));
        } else if (created && values.empty() && !registered.HasChildren(path)) {
            out.push_back(builder.KeyRow(path, false));
        }
        for (const auto& [name, data] : values) {
            if (!created && old->second.count(name) != 0) continue;
            out.push_back(builder.ValueRow(path, name, data));
        }
    }
    return rows;
}

std::string FormatInclude(const std::vector<std::string>& rows) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!-- Made by registration_rows from what the library's own registration writes. -->\n"
        "<Include>\n";
    for (const std::string& row : rows) text += "  " + row + "\n";
    return text + "</Include>\n";
}
