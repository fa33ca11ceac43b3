// The registry rows of a Windows Installer package (wixl's RegistryValue elements) that
// reproduce what a registration wrote: every key it created and every value it set, with
// the library's own path and folder turned into references to the installed file.
#pragma once
#include <string>
#include <vector>

#include "registry_snapshot.h"

// The package's code page: every key, name and value must be expressible in it.
constexpr UINT kPackageCodePage = 1252;

// Where a row's text names the registered library, the package names one of its files.
struct InstalledFile {
    std::wstring RecordedPath;  // the library's path as the registration wrote it
    std::wstring File;          // "[#fileId]": the installed file
    std::wstring Folder;        // "[DIRECTORYID]": its folder, with the trailing backslash
};

struct InstallerRows {
    std::vector<std::string> Library;      // for the library's own component
    std::vector<std::string> TypeLibrary;  // for the component of the shared type library file
    std::vector<std::wstring> Problems;    // changes that rows cannot express; empty when all went well
};

// Rows that turn the registry state `before` into `registered` (both read below
// HKEY_CLASSES_ROOT).  Keys the registration created below keys that were there already
// are removed with everything below them on uninstall; the keys that were there stay.
InstallerRows RowsForRegistration(const RegistrySnapshot& before, const RegistrySnapshot& registered,
                                  const InstalledFile& library, const InstalledFile& typeLibrary);

// A wixl include file holding the rows, UTF-8.
std::string FormatInclude(const std::vector<std::string>& rows);
