// Scratch files and folders for tests, written through Win32 and removed afterwards.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

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

// A 128-byte ID3v1 tag with the given texts (each cut or 0-padded to its width).
std::vector<unsigned char> MakeTag(const std::string& title, const std::string& artist, const std::string& album,
                                   const std::string& year, const std::string& comment, unsigned char genre);

// The directory of the running test program, with its trailing backslash.
std::wstring ProgramDirectory();
