#include "common/process_runner.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/unique_handle.h"

namespace {

// Wine's report of a fault that the program left unhandled; the program may still exit 0.
bool ReportsCrash(const std::string& output) {
    for (const char* marker : {"wine: Unhandled", "Unhandled exception: ", "wine: Assertion"}) {
        for (size_t at = output.find(marker); at != std::string::npos; at = output.find(marker, at + 1)) {
            if (at == 0 || output[at - 1] == '\n') return true;
        }
    }
    return false;
}

// A start that fails is tried twice more: under load Wine now and then fails to create
// the process (seen once in a whole run), which says nothing of the program itself.
bool StartProcess(const std::wstring& commandLine, STARTUPINFOW& startup, PROCESS_INFORMATION& process) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) Sleep(200);
        std::wstring line = commandLine;
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) return true;
    }
    return false;
}

}  // namespace

ProgramRun RunProgram(const std::wstring& commandLine) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "could not make a pipe, error " << GetLastError();
        return run;
    }
    UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    // The child reads nothing: it gets NUL, not whatever this process was given (CI gives
    // none, and a closed standard input may stand for any handle under Wine).
    UniqueHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    startup.hStdInput = input.Get();
    startup.hStdOutput = writer.Get();
    startup.hStdError = writer.Get();
    PROCESS_INFORMATION process = {};
    if (!StartProcess(commandLine, startup, process)) {
        ADD_FAILURE() << "could not start the program, error " << GetLastError();
        return run;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    writer.Reset();  // so the read ends when the program does
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reader.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) run.Output.append(buffer, read);
    WaitForSingleObject(processHandle.Get(), INFINITE);
    GetExitCodeProcess(processHandle.Get(), &run.ExitCode);
    if (ReportsCrash(run.Output)) ADD_FAILURE() << "the program crashed: " << run.Output;
    return run;
}

std::vector<std::string> ProgramRun::OutputLines() const {
    std::vector<std::string> lines;
    std::istringstream in(Output);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}
