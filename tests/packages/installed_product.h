// One architecture's Windows Installer package of tarvik as Windows sees it: where its
// files go, how its programs are reached, and what it leaves in the registry.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/process_runner.h"
#include "common/registry_tree.h"

struct PackageArch {
    const wchar_t* Name;         // "x86" or "x64", as in the package's file name
    REGSAM View;                 // the registry view of its clients
    const wchar_t* SystemDir;    // where its cscript and regsvr32 live
    const wchar_t* ProgramFiles; // the environment variable of its program files folder
};

extern const PackageArch kX86;
extern const PackageArch kX64;

// What the test run was given (environment of the launcher script).
std::wstring PackageFile(const PackageArch& arch);  // ...\tarvik-<version>-<arch>.msi
std::wstring LaterPackageFile();                    // the x64 package as a later version would be
std::wstring SdkFolder();                           // the developer archive, unpacked, with examples built
std::wstring PackageVersion(const PackageArch& arch);  // the <version> of the package's file name

std::wstring LibraryPath(const PackageArch& arch);  // where the package puts tarvik.DLL
std::wstring TypeLibraryPath();                     // the type library both packages share

ProgramRun RunMsiexec(const std::wstring& options, const std::wstring& package);
// The archive's readtags.vbs under the architecture's cscript, on the archive's sample.
ProgramRun RunScriptExample(const PackageArch& arch);
// listmusic.vbs of the archive over its own examples folder, through Tarvik.TagFile.
ProgramRun RunListMusicExample(const PackageArch& arch);
// fixtags.vbs of the archive, setting the album artist of the MP3 files under folder.
ProgramRun RunFixTagsExample(const PackageArch& arch, const std::wstring& folder, const std::wstring& albumArtist);
// The archive's C++ example, built from the archive alone, on the same sample.
ProgramRun RunProgramExample(const PackageArch& arch);
ProgramRun RunRegsvr32(const PackageArch& arch, const std::wstring& options, const std::wstring& library);

// The keys of the product's registration (ProgIDs, class, interface, type library) as the
// architecture's clients see them; an absent key reads as an empty tree.
std::vector<RegistryTree> ReadProductRegistration(const PackageArch& arch);

// The uninstall entries (Programs and Features) of the architecture's package.
std::vector<RegistryTree> ReadUninstallEntries(const PackageArch& arch);
// A text value of the top key of a tree; empty when absent.
std::wstring TextValue(const RegistryTree& tree, const wchar_t* name);

// Everything below HKLM\Software and HKCU\Software, both views.
struct RegistryState {
    RegistryTree Machine;
    RegistryTree User;
};
RegistryState ReadRegistryState();

// What differs between two states, one line each, leaving out the empty folders that
// Windows Installer keeps for its own bookkeeping once it has installed anything.
std::vector<std::string> CompareRegistryStates(const RegistryState& before, const RegistryState& after);

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::wstring FolderOf(const std::wstring& path);
