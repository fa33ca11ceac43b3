// Runs another Windows program of the prefix (regsvr32, cscript) and collects its output.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct ProgramRun {
    DWORD ExitCode = static_cast<DWORD>(-1);
    std::string Output;  // standard output and standard error, as bytes

    // The output's lines that hold anything, without their line ends.
    std::vector<std::string> OutputLines() const;
};

ProgramRun RunProgram(const std::wstring& commandLine);
