// Runs another Windows program of the prefix (regsvr32, cscript) and collects its output.
#pragma once
#include <windows.h>

#include <string>

struct ProgramRun {
    DWORD ExitCode = static_cast<DWORD>(-1);
    std::string Output;  // standard output and standard error, as bytes
};

ProgramRun RunProgram(const std::wstring& commandLine);
