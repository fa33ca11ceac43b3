// Scratch files and folders for tests, written through Win32 and removed afterwards.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/media_bytes.h"

// A fresh folder under the temporary directory; deleted with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    const std::wstring& Path() const { return path_; }
    // Writes bytes to a file of the folder and returns its full path.
    std::wstring WriteFile(const std::wstring& name, const std::vector<unsigned char>& bytes) const;
    std::wstring MakeFolder(const std::wstring& name) const;

private:
    std::wstring path_;
};


// The file's identity on its volume: two names of one file answer the same, a file written
// anew under the old name another.
ULONGLONG FileIdOf(const std::wstring& path);

// The directory of the running test program, with its trailing backslash.
std::wstring ProgramDirectory();
