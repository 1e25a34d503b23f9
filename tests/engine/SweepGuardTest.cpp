// A whole-tree sweep handed a path that would destroy something: each case puts a
// canary file where the damage would land and checks that it survives.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <optional>
#include <vector>

#include "engine/FolderCleaner.h"
#include "platform/AnsiText.h"
#include "engine/ProtectedSet.h"
#include "support/OwnPolicy.h"
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

// Whether the folder itself is a link: the search reports the link's own attributes.
bool IsLinkEntry(const std::string& folder)
{
    WIN32_FIND_DATAA entry{};
    HANDLE find = ::FindFirstFileA(folder.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(find);
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

constexpr char kUserShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct ProtectedCase {
    const char* name;
    int csidl;
    bool sweepParent;            // sweep the folder that holds it rather than the folder itself
    const char* shellFolderName; // pointed at a real folder for the test, or nullptr
};

void PrintTo(const ProtectedCase& value, std::ostream* os)
{
    *os << value.name;
}

class ProtectedFolderTest : public ::testing::TestWithParam<ProtectedCase> {};

TEST_P(ProtectedFolderTest, IsNeverEmptiedNorSweptAsPartOfAnotherFolder)
{
    // Wine makes Desktop and Documents links into HOME, which the link rule alone already
    // refuses; moved to a real folder they show that the protected list holds them.
    std::optional<test::ScratchFolder> moved;
    std::vector<std::unique_ptr<test::ScopedValueRestore>> restores;
    if (const char* name = GetParam().shellFolderName) {
        moved.emplace("C:\\");
        for (const char* key : {kUserShellFoldersKey, kShellFoldersKey})
            restores.push_back(std::make_unique<test::ScopedValueRestore>(HKEY_CURRENT_USER, key, name));
        test::SetString(HKEY_CURRENT_USER, kUserShellFoldersKey, name, moved->Path());
    }
    const std::string folder = ShellFolderPath(GetParam().csidl);
    ASSERT_FALSE(folder.empty()) << GetParam().name;
    if (moved) {
        ASSERT_EQ(moved->Path(), folder) << "the shell folder did not move";
    }
    ASSERT_FALSE(IsLinkEntry(folder)) << folder << " is a link: the case would test the link rule";
    const Canary canary(folder);
    ASSERT_TRUE(canary.Alive()) << "cannot write into " << folder;

    const std::string target = GetParam().sweepParent ? Parent(folder) : folder;
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(target)).SweepTree(L"", L"");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(target + "\\")).SweepTree(L"", L"");

    EXPECT_TRUE(canary.Alive()) << "sweeping " << target;
}

INSTANTIATE_TEST_SUITE_P(Folders, ProtectedFolderTest,
                         ::testing::Values(ProtectedCase{"Windows", CSIDL_WINDOWS, false, nullptr},
                                           ProtectedCase{"System", CSIDL_SYSTEM, false, nullptr},
                                           ProtectedCase{"SystemParent", CSIDL_SYSTEM, true, nullptr},
                                           ProtectedCase{"Profile", CSIDL_PROFILE, false, nullptr},
                                           ProtectedCase{"ProfileParent", CSIDL_PROFILE, true, nullptr},
                                           ProtectedCase{"Desktop", CSIDL_DESKTOPDIRECTORY, false, "Desktop"},
                                           ProtectedCase{"Documents", CSIDL_PERSONAL, false, "Personal"},
                                           ProtectedCase{"Favorites", CSIDL_FAVORITES, false, nullptr},
                                           ProtectedCase{"AppData", CSIDL_APPDATA, false, nullptr},
                                           ProtectedCase{"AppDataParent", CSIDL_APPDATA, true, nullptr},
                                           ProtectedCase{"LocalAppData", CSIDL_LOCAL_APPDATA, false, nullptr},
                                           ProtectedCase{"LocalAppDataParent", CSIDL_LOCAL_APPDATA, true, nullptr},
                                           ProtectedCase{"ProgramFiles", CSIDL_PROGRAM_FILES, false, nullptr},
                                           ProtectedCase{"ProgramFilesParent", CSIDL_PROGRAM_FILES, true, nullptr}),
                         [](const ::testing::TestParamInfo<ProtectedCase>& info) {
                             return std::string(info.param.name);
                         });

class DisguisedPathTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DisguisedPathTest, IsRecognisedForTheFolderItNames)
{
    const Canary canary(test::WindowsFolder());
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(GetParam())).SweepTree(L"", L"");
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
        CFolderCleaner(test::OwnPolicy(), WideFromAnsi(root)).SweepTree(L"", L"");
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
        CFolderCleaner(test::OwnPolicy(), WideFromAnsi(path)).SweepTree(L"", L"");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi("")).DeleteMatchingFiles(L"*.txt");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi("sub")).DeleteMatchingFiles(L"*.txt");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi("")).SweepTree(L"", L"*.txt");

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

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(test::SystemFolder())).DeleteCookieFiles();
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi("C:\\")).DeleteCookieFiles();
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(desktop)).DeleteMatchingFiles(L"*.lnk");

    EXPECT_TRUE(systemCanary.Alive());
    EXPECT_TRUE(test::PathExists(test::SystemFolder() + "\\kernel32.dll"));
    EXPECT_TRUE(test::PathExists(shortcut));
    (void)::DeleteFileA(shortcut.c_str());
}

TEST(DeviceNamespaceTest, IsNeverSwept)
{
    const test::ScratchFolder folder;
    folder.File("a.txt");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi("\\\\?\\" + folder.Path())).SweepTree(L"", L"");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi("\\\\.\\" + folder.Path())).SweepTree(L"", L"");
    EXPECT_TRUE(folder.Exists("a.txt"));
}

// A run resolves the protected folders once, so a folder that becomes protected after
// that must be protected in the next run at once.
TEST(ProtectedSetTest, EachRunAsksAfresh)
{
    const test::ScratchFolder resolver;
    const test::ScratchFolder favorites("C:\\");
    const Canary canary(favorites.Path());
    std::vector<std::unique_ptr<test::ScopedValueRestore>> restores;
    for (const char* key : {kUserShellFoldersKey, kShellFoldersKey})
        restores.push_back(std::make_unique<test::ScopedValueRestore>(HKEY_CURRENT_USER, key, "Favorites"));
    const test::OwnPolicy earlierRun;
    CFolderCleaner(earlierRun, WideFromAnsi(resolver.Path())).SweepTree(L"", L""); // resolves the set before the move
    test::SetString(HKEY_CURRENT_USER, kUserShellFoldersKey, "Favorites", favorites.Path());
    ASSERT_EQ(favorites.Path(), ShellFolderPath(CSIDL_FAVORITES));

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(favorites.Path())).SweepTree(L"", L"");

    EXPECT_TRUE(canary.Alive());
}

// A sweep checks a folder it finds inside one that passed by name alone, so every folder
// on the way to a protected one must bring the folders above where it really is: here
// the way to the protected folder passes a link into chain\real, which is on no name of it.
TEST(ProtectedSetTest, TheRealParentsOfEveryFolderOnTheWayAreProtected)
{
    const std::string chain = std::string(test::kLinkFixtures) + "\\chain";
    std::vector<std::unique_ptr<test::ScopedValueRestore>> restores;
    for (const char* key : {kUserShellFoldersKey, kShellFoldersKey})
        restores.push_back(std::make_unique<test::ScopedValueRestore>(HKEY_CURRENT_USER, key, "Favorites"));
    test::SetString(HKEY_CURRENT_USER, kUserShellFoldersKey, "Favorites", chain + "\\l1\\b\\l2\\p");
    ASSERT_TRUE(PathExists(chain + "\\real\\x\\b")) << "the harness's chain fixture is missing";
    const Canary onTheWay(chain + "\\real\\x\\b");
    // chain\real is a real parent of chain\l1 alone, a parent no name of it shows.
    const Canary inARealParent(chain + "\\real");

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(chain + "\\real")).SweepTree(L"", L"");

    EXPECT_TRUE(onTheWay.Alive());
    EXPECT_TRUE(inARealParent.Alive());
}

// A protected folder on a share (N: is the harness's network drive) is asked who it is
// on a thread of its own, and that share answers: the folder stays, and the folder beside
// it on the same share is cleaned. (Wine has no share that does not answer.)
TEST(ProtectedSetTest, AFolderOnAShareStaysAndTheFolderBesideItIsCleaned)
{
    const std::string share = std::string(test::kLinkFixtures) + "\\network-drive";
    const test::ScratchFolder favorites(share);
    const test::ScratchFolder beside(share);
    const auto onTheShare = [](const test::ScratchFolder& folder) {
        return "N:" + folder.Path().substr(folder.Path().rfind('\\'));
    };
    std::vector<std::unique_ptr<test::ScopedValueRestore>> restores;
    for (const char* key : {kUserShellFoldersKey, kShellFoldersKey})
        restores.push_back(std::make_unique<test::ScopedValueRestore>(HKEY_CURRENT_USER, key, "Favorites"));
    test::SetString(HKEY_CURRENT_USER, kUserShellFoldersKey, "Favorites", onTheShare(favorites));
    ASSERT_EQ(onTheShare(favorites), ShellFolderPath(CSIDL_FAVORITES));
    ASSERT_EQ(static_cast<UINT>(DRIVE_REMOTE), ::GetDriveTypeA("N:\\"));
    const Canary canary(favorites.Path());
    beside.File("trace.tmp");

    const test::OwnPolicy run;
    CFolderCleaner(run, WideFromAnsi(onTheShare(favorites))).SweepTree(L"", L"");
    CFolderCleaner(run, WideFromAnsi(onTheShare(beside))).SweepTree(L"", L"");

    EXPECT_TRUE(canary.Alive());
    EXPECT_EQ(std::vector<std::string>(), beside.Entries());
}

} // namespace
} // namespace corvale
