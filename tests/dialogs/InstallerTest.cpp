// CorvaleSetup.exe, run silently in the test prefix: it installs the program and its help
// file, the Start-menu shortcut and the log-on start that the about dialog finds the help
// file through; its uninstaller removes them again and keeps the user's settings.
#include "dialogs/DialogTestSupport.h"
#include "dialogs/HelpFile.h"
#include "dialogs/HelpPath.h"
#include "engine/RegistryKey.h"
#include "platform/AnsiText.h"
#include "support/EngineScratch.h"
#include "support/Processes.h"
#include "platform/Handle.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace corvale {
namespace {

constexpr char kSettingsKey[] = "Software\\Corvale";

using test::RunAndWait;

// Where a 32-bit installer puts its programs, seen from this process.
std::string ProgramFiles32()
{
    const char* x86 = std::getenv("ProgramFiles(x86)");
    return x86 ? x86 : std::getenv("ProgramFiles");
}

std::string RunValue()
{
    RegistryValue value;
    CRegistryKey(WideFromAnsi(test::kRunKey), HKEY_LOCAL_MACHINE, KEY_QUERY_VALUE | KEY_WOW64_32KEY)
        .FindValue(L"Corvale", value);
    return value.Found ? AnsiBestFit(value.Data) : "(none)";
}

std::string StartMenuPrograms()
{
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

TEST(Installer, InstallsSilentlyAndUninstallsKeepingTheUserSettings)
{
    const char* runs32 = std::getenv("CORVALE_RUNS_32BIT");
    if (!runs32 || std::strcmp(runs32, "1") != 0)
        GTEST_SKIP() << "the installer is a 32-bit program, and this machine cannot run 32-bit programs";
    const std::string setup = test::BuiltFile("CorvaleSetup.exe");
    if (!test::FileExists(setup))
        GTEST_SKIP() << "no installer was built (makensis is missing)";

    const std::string folder = ProgramFiles32() + "\\Corvale";
    const std::string shortcut = StartMenuPrograms() + "\\Corvale.lnk";
    ASSERT_EQ(RunAndWait("\"" + setup + "\" /S"), 0u);
    for (const std::string& file : {folder + "\\Corvale.exe", folder + "\\" + kHelpFileName, shortcut})
        EXPECT_TRUE(test::FileExists(file)) << file;
    EXPECT_EQ(RunValue(), "\"" + folder + "\\Corvale.exe\" /h");
    const std::string helpFile = InstalledHelpFile();
    EXPECT_EQ(helpFile, folder + "\\" + kHelpFileName);
    HWND help = ShowHelpFile(nullptr, helpFile);
    EXPECT_NE(help, nullptr) << "HTML Help cannot open the installed help file";
    if (help)
        ::SendMessageA(help, WM_CLOSE, 0, 0);

    // The user's settings, which the uninstaller must keep.
    const test::ScopedKeyRestore settings(HKEY_CURRENT_USER, kSettingsKey);
    test::SetDwordValue(HKEY_CURRENT_USER, kSettingsKey, "Interval", 4321);

    // _?= keeps the uninstaller in place until it is done (it cannot remove itself then).
    EXPECT_EQ(RunAndWait("\"" + folder + "\\Uninstall.exe\" /S _?=" + folder), 0u);
    for (const std::string& file : {folder + "\\Corvale.exe", folder + "\\" + kHelpFileName, shortcut})
        EXPECT_FALSE(test::FileExists(file)) << file;
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_EQ(InstalledHelpFile(), "");
    EXPECT_EQ(test::GetDwordValue(HKEY_CURRENT_USER, kSettingsKey, "Interval").value_or(0), 4321u);
    ::DeleteFileA((folder + "\\Uninstall.exe").c_str());
    ::RemoveDirectoryA(folder.c_str());
}

} // namespace
} // namespace corvale
