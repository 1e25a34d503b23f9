// Where the help file is looked for, from the autostart value the installer writes.
#include "dialogs/HelpPath.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

TEST(HelpPath, FromTheAutostartValue)
{
    const struct {
        const char* runValue;
        const char* helpFile;
    } cases[] = {
        {"C:\\Apps\\Corvale\\Corvale.exe /s", "C:\\Apps\\Corvale\\Kelto Help.chm"},
        // Quoted, as the installer writes it: the folder may hold spaces and the switch is kept out.
        {"\"C:\\Program Files\\Corvale\\Corvale.exe\" /h", "C:\\Program Files\\Corvale\\Kelto Help.chm"},
        {"\"C:\\Program Files\\Corvale\\Corvale.exe\"", "C:\\Program Files\\Corvale\\Kelto Help.chm"},
        {"\"C:\\Program Files\\Corvale\\Corvale.exe", "C:\\Program Files\\Corvale\\Kelto Help.chm"},
        {"", ""},
        {"C:\\", ""},
        {"\"\"", ""},
        {"Corvale.exe /h", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpPathFromRunValue(c.runValue), c.helpFile) << c.runValue;
}

} // namespace
} // namespace corvale
