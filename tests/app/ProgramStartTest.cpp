// The built program as a process: it starts under Wine and ends cleanly on its own.
#include "platform/Handle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace corvale {
namespace {

DWORD RunProgram(const std::string& arguments)
{
    const char* program = std::getenv("CORVALE_EXE");
    if (!program)
        return 0xFFFFFFFF;
    std::string commandLine = std::string("\"") + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    if (::WaitForSingleObject(processHandle.Get(), 30000) != WAIT_OBJECT_0)
        return 0xFFFFFFFE;
    DWORD exitCode = 0xFFFFFFFF;
    ::GetExitCodeProcess(processHandle.Get(), &exitCode);
    return exitCode;
}

TEST(ProgramStart, UnloadRequestWithNoInstanceRunningEndsAtOnce)
{
    EXPECT_EQ(RunProgram("/u"), 0u);
}

} // namespace
} // namespace corvale
