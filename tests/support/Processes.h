#pragma once
// Starting another program from a test and waiting for it to end.
#include "platform/Handle.h"

#include <string>

namespace corvale::test {

constexpr DWORD kNotStarted = 0xFFFFFFFF;
constexpr DWORD kStillRunning = 0xFFFFFFFE;

// The program's exit code, or kNotStarted / kStillRunning after ms milliseconds.
inline DWORD RunAndWait(std::string commandLine, DWORD ms = 60000)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return kNotStarted;
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    if (::WaitForSingleObject(processHandle.Get(), ms) != WAIT_OBJECT_0)
        return kStillRunning;
    DWORD exitCode = kNotStarted;
    ::GetExitCodeProcess(processHandle.Get(), &exitCode);
    return exitCode;
}

} // namespace corvale::test
