// The built program as a process: it starts under Wine and ends cleanly on its own.
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace corvale {
namespace {

DWORD RunProgram(const std::string& arguments)
{
    const char* program = std::getenv("CORVALE_EXE");
    return program ? test::RunAndWait(std::string("\"") + program + "\" " + arguments, 30000) : test::kNotStarted;
}

TEST(ProgramStart, UnloadRequestWithNoInstanceRunningEndsAtOnce)
{
    EXPECT_EQ(RunProgram("/u"), 0u);
}

} // namespace
} // namespace corvale
