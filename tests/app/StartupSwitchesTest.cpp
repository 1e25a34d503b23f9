// The command line's two switches are plain, case-sensitive substring tests.
#include "app/StartupSwitches.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

TEST(StartupSwitches, AreSubstringsOfTheWholeCommandLine)
{
    struct Case {
        const char* commandLine;
        bool unload;
        bool startHidden;
    };
    const Case cases[] = {
        {"", false, false},        {"/u", true, false},      {"/h", false, true},
        {"/H /U", false, false},   {"x/hy", false, true},    {"-h /uh", true, false},
        {"\"C:\\Program Files\\Corvale\\Corvale.exe\" /h", false, true},
    };
    for (const Case& c : cases) {
        const StartupSwitches switches = ParseStartupSwitches(c.commandLine);
        EXPECT_EQ(switches.unload, c.unload) << c.commandLine;
        EXPECT_EQ(switches.startHidden, c.startHidden) << c.commandLine;
    }
}

} // namespace
} // namespace corvale
