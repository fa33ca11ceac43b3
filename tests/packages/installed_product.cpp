#include "installed_product.h"

#include <utility>

const PackageArch kX86 = {L"x86", KEY_WOW64_32KEY, L"syswow64", L"ProgramFiles(x86)"};
const PackageArch kX64 = {L"x64", KEY_WOW64_64KEY, L"system32", L"ProgramFiles"};

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = L"";
    const DWORD size = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    return size > 0 && size < MAX_PATH * 2 ? std::wstring(value, size) : std::wstring();
}

std::wstring WindowsFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetWindowsDirectoryW(path, MAX_PATH);
    return path;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring SystemProgram(const PackageArch& arch, const wchar_t* name) {
    return Quoted(WindowsFolder() + L"\\" + arch.SystemDir + L"\\" + name);
}

std::wstring SampleFile() { return Quoted(SdkFolder() + L"\\examples\\sample.mp3"); }

RegistryTree ReadKey(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return {};
    RegistryTree tree = RegistryTree::Read(key);
    RegCloseKey(key);
    return tree;
}

void ReadWholeTree(HKEY root, const wchar_t* path, RegistryTree& tree) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return;
    tree = RegistryTree::Read(key, KEY_WOW64_64KEY);
    RegCloseKey(key);
}

bool StartsWith(const std::wstring& text, const std::wstring& start) { return text.compare(0, start.size(), start) == 0; }

// Windows Installer's own folders, which stay once it has installed anything at all.
bool IsInstallerBookkeeping(const std::wstring& path) {
    return StartsWith(path, L"Classes\\Installer") || StartsWith(path, L"Microsoft\\Windows\\CurrentVersion\\Installer");
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

void CompareTrees(const char* root, const RegistryTree& before, const RegistryTree& after, std::vector<std::string>& out) {
    for (const auto& [path, values] : before.Keys) {
        auto now = after.Keys.find(path);
        if (now == after.Keys.end()) {
            out.push_back(std::string(root) + "\\" + Narrow(path) + ": key removed");
            continue;
        }
        for (const auto& [name, value] : values) {
            auto then = now->second.find(name);
            if (then == now->second.end()) {
                out.push_back(std::string(root) + "\\" + Narrow(path) + " [" + Narrow(name) + "]: value removed");
            } else if (then->second != value) {
                out.push_back(std::string(root) + "\\" + Narrow(path) + " [" + Narrow(name) + "]: value changed");
            }
        }
    }
    for (const auto& [path, values] : after.Keys) {
        auto then = before.Keys.find(path);
        if (then == before.Keys.end() && !(values.empty() && IsInstallerBookkeeping(path))) {
            out.push_back(std::string(root) + "\\" + Narrow(path) + ": key added");
        }
        for (const auto& [name, value] : values) {
            if (then == before.Keys.end() || then->second.count(name) == 0) {
                out.push_back(std::string(root) + "\\" + Narrow(path) + " [" + Narrow(name) + "]: value added");
            }
        }
    }
}

}  // namespace

std::wstring PackageFile(const PackageArch& arch) {
    const std::wstring folder = Environment(L"TARVIK_PACKAGES");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\tarvik-*-" + arch.Name + L".msi").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return folder + L"\\(no package for " + arch.Name + L")";
    FindClose(search);
    return folder + L"\\" + found.cFileName;
}

std::wstring SdkFolder() { return Environment(L"TARVIK_SDK"); }

std::wstring PackageVersion(const PackageArch& arch) {
    const std::wstring file = PackageFile(arch);
    const size_t name = file.rfind(L"\\tarvik-");
    const size_t end = file.rfind(L'-');
    return name != std::wstring::npos && name + 8 < end ? file.substr(name + 8, end - name - 8) : std::wstring();
}

std::wstring LibraryPath(const PackageArch& arch) { return Environment(arch.ProgramFiles) + L"\\tarvik\\tarvik.DLL"; }

std::wstring TypeLibraryPath() { return Environment(L"CommonProgramFiles(x86)") + L"\\tarvik\\tarvik.tlb"; }

std::wstring LaterPackageFile() { return Environment(L"TARVIK_LATER_PACKAGE"); }

ProgramRun RunMsiexec(const std::wstring& options, const std::wstring& package) {
    return RunProgram(SystemProgram(kX64, L"msiexec.exe") + L" " + options + L" " + Quoted(package) + L" /qn");
}

ProgramRun RunScriptExample(const PackageArch& arch) {
    return RunProgram(SystemProgram(arch, L"cscript.exe") + L" //nologo " + Quoted(SdkFolder() + L"\\examples\\readtags.vbs") +
                      L" " + SampleFile());
}

ProgramRun RunListMusicExample(const PackageArch& arch) {
    return RunProgram(SystemProgram(arch, L"cscript.exe") + L" //nologo " +
                      Quoted(SdkFolder() + L"\\examples\\listmusic.vbs") + L" " + Quoted(SdkFolder() + L"\\examples"));
}

ProgramRun RunFixTagsExample(const PackageArch& arch, const std::wstring& folder, const std::wstring& albumArtist) {
    return RunProgram(SystemProgram(arch, L"cscript.exe") + L" //nologo " + Quoted(SdkFolder() + L"\\examples\\fixtags.vbs") +
                      L" " + Quoted(folder) + L" " + Quoted(albumArtist));
}

ProgramRun RunProgramExample(const PackageArch& arch) {
    return RunProgram(Quoted(Environment(L"TARVIK_BUILT_EXAMPLES") + L"\\" + arch.Name + L"\\readtags.exe") + L" " + SampleFile());
}

ProgramRun RunRegsvr32(const PackageArch& arch, const std::wstring& options, const std::wstring& library) {
    return RunProgram(SystemProgram(arch, L"regsvr32.exe") + L" /s " + options + L" " + Quoted(library));
}

std::vector<RegistryTree> ReadProductRegistration(const PackageArch& arch) {
    std::vector<RegistryTree> trees;
    // The type library comes last: AsInstalled moves its path.
    for (const wchar_t* path : {L"Tarvik.lumex.1", L"Tarvik.lumex", L"CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}",
                                L"Interface\\{5C3E7A1C-91B4-4D2F-8E63-27A1B9D40C55}", L"Tarvik.TagFile.1",
                                L"Tarvik.TagFile", L"CLSID\\{5C3E7A1F-91B4-4D2F-8E63-27A1B9D40C55}",
                                L"Interface\\{5C3E7A1E-91B4-4D2F-8E63-27A1B9D40C55}",
                                L"Interface\\{5C3E7A20-91B4-4D2F-8E63-27A1B9D40C55}",
                                L"TypeLib\\{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}"}) {
        // A 32-bit process finds a key of its own view first and the shared key when there
        // is none: regsvr32 writes the shared key, the 32-bit package its own view.
        RegistryTree tree = ReadKey(HKEY_CLASSES_ROOT, path, arch.View);
        if (tree.Keys.empty() && arch.View == KEY_WOW64_32KEY) tree = ReadKey(HKEY_CLASSES_ROOT, path, KEY_WOW64_64KEY);
        trees.push_back(std::move(tree));
    }
    return trees;
}

std::vector<RegistryTree> ReadUninstallEntries(const PackageArch& arch) {
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    std::vector<RegistryTree> found;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstall.c_str(), 0, KEY_READ | arch.View, &key) != ERROR_SUCCESS) return found;
    std::vector<std::wstring> entries;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD size = 256;
        if (RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        entries.emplace_back(name, size);
    }
    RegCloseKey(key);
    for (const std::wstring& entry : entries) {
        RegistryTree tree = ReadKey(HKEY_LOCAL_MACHINE, uninstall + L"\\" + entry, arch.View);
        if (TextValue(tree, L"DisplayName") == std::wstring(L"tarvik (") + arch.Name + L")") found.push_back(std::move(tree));
    }
    return found;
}

RegistryState ReadRegistryState() {
    RegistryState state;
    ReadWholeTree(HKEY_LOCAL_MACHINE, L"Software", state.Machine);
    ReadWholeTree(HKEY_CURRENT_USER, L"Software", state.User);
    return state;
}

std::vector<std::string> CompareRegistryStates(const RegistryState& before, const RegistryState& after) {
    std::vector<std::string> differences;
    CompareTrees("HKLM\\Software", before.Machine, after.Machine, differences);
    CompareTrees("HKCU\\Software", before.User, after.User, differences);
    return differences;
}

std::wstring TextValue(const RegistryTree& tree, const wchar_t* name) {
    auto top = tree.Keys.find(L"");
    if (top == tree.Keys.end()) return {};
    auto value = top->second.find(name);
    if (value == top->second.end() || value->second.first != REG_SZ) return {};
    std::wstring text(reinterpret_cast<const wchar_t*>(value->second.second.data()), value->second.second.size() / 2);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }
