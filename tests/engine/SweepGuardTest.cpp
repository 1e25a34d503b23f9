// A whole-tree sweep handed a path that would destroy something: each case puts a
// canary file where the damage would land and checks that it survives.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "engine/FolderCleaner.h"
#include "support/EngineScratch.h"

namespace corvale {
namespace {

using test::PathExists;

std::string ShellFolderPath(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::string();
    return path;
}

std::string Parent(const std::string& path)
{
    const size_t slash = path.find_last_of('\\', path.size() - 2);
    return slash == 2 ? path.substr(0, 3) : path.substr(0, slash);
}

// A file that must outlive the test's sweep, removed afterwards.
class Canary {
public:
    explicit Canary(const std::string& folder)
        : m_path(folder + "\\corvale-canary-" + std::to_string(::GetCurrentProcessId()) + ".txt")
    {
        test::WriteFileBytes(m_path, "alive");
    }
    ~Canary() { (void)::DeleteFileA(m_path.c_str()); }
    bool Alive() const { return test::ReadFileBytes(m_path) == std::string("alive"); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

struct ProtectedCase {
    const char* name;
    int csidl;
    bool sweepParent; // sweep the folder that holds it rather than the folder itself
};

void PrintTo(const ProtectedCase& value, std::ostream* os)
{
    *os << value.name;
}

class ProtectedFolderTest : public ::testing::TestWithParam<ProtectedCase> {};

TEST_P(ProtectedFolderTest, IsNeverEmptiedNorSweptAsPartOfAnotherFolder)
{
    const std::string folder = ShellFolderPath(GetParam().csidl);
    ASSERT_FALSE(folder.empty()) << GetParam().name;
    const Canary canary(folder);
    ASSERT_TRUE(canary.Alive()) << "cannot write into " << folder;

    const std::string target = GetParam().sweepParent ? Parent(folder) : folder;
    CFolderCleaner(target).SweepTree("", "");
    CFolderCleaner(target + "\\").SweepTree("", "");

    EXPECT_TRUE(canary.Alive()) << "sweeping " << target;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ProtectedFolderTest,
    ::testing::Values(
        ProtectedCase{"Windows", CSIDL_WINDOWS, false}, ProtectedCase{"System", CSIDL_SYSTEM, false},
        ProtectedCase{"SystemParent", CSIDL_SYSTEM, true}, ProtectedCase{"Profile", CSIDL_PROFILE, false},
        ProtectedCase{"ProfileParent", CSIDL_PROFILE, true}, ProtectedCase{"Desktop", CSIDL_DESKTOPDIRECTORY, false},
        ProtectedCase{"Documents", CSIDL_PERSONAL, false}, ProtectedCase{"Favorites", CSIDL_FAVORITES, false},
        ProtectedCase{"AppData", CSIDL_APPDATA, false}, ProtectedCase{"AppDataParent", CSIDL_APPDATA, true},
        ProtectedCase{"LocalAppData", CSIDL_LOCAL_APPDATA, false},
        ProtectedCase{"LocalAppDataParent", CSIDL_LOCAL_APPDATA, true},
        ProtectedCase{"ProgramFiles", CSIDL_PROGRAM_FILES, false},
        ProtectedCase{"ProgramFilesParent", CSIDL_PROGRAM_FILES, true}),
    [](const ::testing::TestParamInfo<ProtectedCase>& info) { return std::string(info.param.name); });

class DisguisedPathTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DisguisedPathTest, IsRecognisedForTheFolderItNames)
{
    const Canary canary(test::WindowsFolder());
    CFolderCleaner(GetParam()).SweepTree("", "");
    EXPECT_TRUE(canary.Alive()) << GetParam();
}

std::string ShortName(const std::string& path)
{
    char shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(shortPath, length) : path;
}

INSTANTIATE_TEST_SUITE_P(Windows, DisguisedPathTest,
                         ::testing::Values("C:\\WINDOWS\\", "c:/windows", "C:\\windows\\system32\\..",
                                           "C:\\windows\\.\\", "C:\\Windows. ", "C:\\windows\\\\",
                                           "C:\\users\\..\\windows", ShortName(test::WindowsFolder())));

TEST(DriveRootGuardTest, IsNeverEmptiedWithoutAMask)
{
    const Canary canary("C:");
    for (const char* root : {"C:\\", "c:\\", "C:/", "C:\\.", "C:\\windows\\.."})
        CFolderCleaner(root).SweepTree("", "");
    EXPECT_TRUE(canary.Alive());
}

TEST(RelativePathTest, EmptyAndRelativePathsAreNeverSwept)
{
    test::ScratchFolder current;
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(current.Path().c_str()));
    current.File("sub\\in-sub.txt");
    current.File("in-current.txt");
    const Canary rootCanary("C:");
    ::CreateDirectoryA("C:\\corvale-guard", nullptr);
    const Canary rootedCanary("C:\\corvale-guard");

    // An empty path would search "\*.*", the root of the current drive.
    for (const char* path : {"", "sub", ".", "C:", "C:sub", "\\corvale-guard", "\\"})
        CFolderCleaner(path).SweepTree("", "");
    CFolderCleaner("").DeleteMatchingFiles("*.txt");
    CFolderCleaner("sub").DeleteMatchingFiles("*.txt");
    CFolderCleaner("").SweepTree("", "*.txt");

    ::SetCurrentDirectoryA(previous);
    EXPECT_TRUE(current.Exists("sub\\in-sub.txt"));
    EXPECT_TRUE(current.Exists("in-current.txt"));
    EXPECT_TRUE(rootCanary.Alive());
    EXPECT_TRUE(rootedCanary.Alive());
    (void)::DeleteFileA(rootedCanary.Path().c_str());
    ::RemoveDirectoryA("C:\\corvale-guard");
}

TEST(OneLevelDeleteGuardTest, AProtectedFolderLosesNeitherCookieLikeFilesNorShortcuts)
{
    const test::ScopedFileRestore keepList(test::SystemFolder() + "\\coockies.sav");
    (void)::DeleteFileA((test::SystemFolder() + "\\coockies.sav").c_str());
    const Canary systemCanary(test::SystemFolder());
    const std::string desktop = ShellFolderPath(CSIDL_DESKTOPDIRECTORY);
    const std::string shortcut = desktop + "\\corvale-canary.lnk";
    test::WriteFileBytes(shortcut, "alive");

    CFolderCleaner(test::SystemFolder()).DeleteCookieFiles();
    CFolderCleaner("C:\\").DeleteCookieFiles();
    CFolderCleaner(desktop).DeleteMatchingFiles("*.lnk");

    EXPECT_TRUE(systemCanary.Alive());
    EXPECT_TRUE(test::PathExists(test::SystemFolder() + "\\kernel32.dll"));
    EXPECT_TRUE(test::PathExists(shortcut));
    (void)::DeleteFileA(shortcut.c_str());
}

TEST(DeviceNamespaceTest, IsNeverSwept)
{
    const test::ScratchFolder folder;
    folder.File("a.txt");
    CFolderCleaner("\\\\?\\" + folder.Path()).SweepTree("", "");
    CFolderCleaner("\\\\.\\" + folder.Path()).SweepTree("", "");
    EXPECT_TRUE(folder.Exists("a.txt"));
}

} // namespace
} // namespace corvale
