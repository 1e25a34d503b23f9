// The lexical path rules that stand between a user-controlled path and a recursive
// delete.
#include <gtest/gtest.h>

#include <ostream>

#include "engine/PathRules.h"

namespace corvale {
namespace {

struct KeyCase {
    const char* path;
    const char* key;
};

void PrintTo(const KeyCase& value, std::ostream* os)
{
    *os << '"' << value.path << '"';
}

class ComparisonKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ComparisonKeyTest, NamesTheFolderWindowsWouldOpen)
{
    EXPECT_EQ(GetParam().key, FolderComparisonKey(GetParam().path)) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ComparisonKeyTest,
    ::testing::Values(KeyCase{"C:\\Windows", "C:\\WINDOWS"}, KeyCase{"c:\\windows\\", "C:\\WINDOWS"},
                      KeyCase{"C:/Users//me\\\\Temp/", "C:\\USERS\\ME\\TEMP"}, KeyCase{"C:\\Temp\\..", "C:\\"},
                      KeyCase{"C:\\..\\..\\Windows", "C:\\WINDOWS"},
                      KeyCase{"C:\\Windows\\.\\System32\\..", "C:\\WINDOWS"}, KeyCase{"C:\\Windows. \\", "C:\\WINDOWS"},
                      KeyCase{"C:\\", "C:\\"}, KeyCase{"\\\\server\\share\\dir", "\\\\SERVER\\SHARE\\DIR"},
                      KeyCase{"\\\\server\\share\\..", "\\\\SERVER\\SHARE"},
                      // Not absolute, or not a drive-letter or share path at all.
                      KeyCase{"", ""}, KeyCase{"Temp", ""}, KeyCase{"\\Temp", ""}, KeyCase{"C:", ""},
                      KeyCase{"C:Temp", ""}, KeyCase{"\\\\server", ""}, KeyCase{"\\\\?\\unix\\home", ""},
                      KeyCase{"\\\\.\\C:\\Temp", ""}, KeyCase{"1:\\Temp", ""},
                      // A stream of a folder names the folder: this one, the root of D:.
                      KeyCase{"D:\\:$I30:$INDEX_ALLOCATION", ""}, KeyCase{"\\\\server\\share\\a:b", ""},
                      // Doubled separators collapse into the device namespace as well.
                      KeyCase{"///./C:/Temp", ""}, KeyCase{"\\\\\\?\\C:\\Temp", ""},
                      KeyCase{"\\\\.r\\share", "\\\\.R\\SHARE"}));

struct EmptyCase {
    const char* folder;
    bool allowed;
};

void PrintTo(const EmptyCase& value, std::ostream* os)
{
    *os << '"' << value.folder << '"';
}

class MayEmptyFolderTest : public ::testing::TestWithParam<EmptyCase> {};

TEST_P(MayEmptyFolderTest, RefusesRootsAndWhatHoldsProtectedFolders)
{
    const std::vector<std::string> protectedKeys = {
        FolderComparisonKey("C:\\windows"),       FolderComparisonKey("C:\\windows\\system32"),
        FolderComparisonKey("C:\\users\\me"),     FolderComparisonKey("C:\\users\\me\\Documents"),
        FolderComparisonKey("D:\\Data\\AppData"), std::string()};
    EXPECT_EQ(GetParam().allowed, MayEmptyFolder(FolderComparisonKey(GetParam().folder), protectedKeys))
        << GetParam().folder;
}

INSTANTIATE_TEST_SUITE_P(Folders, MayEmptyFolderTest,
                         ::testing::Values(EmptyCase{"C:\\windows\\temp", true}, EmptyCase{"C:\\users\\me\\Temp", true},
                                           EmptyCase{"C:\\users\\me\\Documents\\old", true},
                                           EmptyCase{"C:\\windows\\system32\\spool\\x", true},
                                           EmptyCase{"C:\\windows2", true}, EmptyCase{"D:\\Data\\AppDataOld", true},
                                           EmptyCase{"\\\\server\\share\\cache", true}, EmptyCase{"C:\\", false},
                                           EmptyCase{"D:\\", false}, EmptyCase{"c:\\.", false},
                                           EmptyCase{"\\\\server\\share", false}, EmptyCase{"C:\\WINDOWS", false},
                                           EmptyCase{"c:\\windows\\", false}, EmptyCase{"C:\\Windows\\System32", false},
                                           EmptyCase{"C:\\users", false}, EmptyCase{"C:\\users\\me", false},
                                           EmptyCase{"C:\\users\\me\\temp\\..", false}, EmptyCase{"D:\\Data", false},
                                           EmptyCase{"C:\\windows\\te*", false}, EmptyCase{"", false},
                                           EmptyCase{"Temp", false}, EmptyCase{"C:", false}));

TEST(MatchesMaskTest, TakesTheLongNameAsTheMaskSaysAndNoMore)
{
    for (const char* name : {"FOUND.000", "found.001", "FOUND.A.B", "FILE0001.CHK", "file.chk", "FILE.X.CHK"})
        EXPECT_TRUE(MatchesMask(name, "FOUND.*") || MatchesMask(name, "FILE*.CHK")) << name;
    // The platform's search also takes a trailing ".*" to match no extension at all.
    for (const char* name : {"Found", "FOUND", "FOUND.", "AFOUND.000", "filelist.chkpt", "FILE0001.CHK.txt", "FIL.CHK"})
        EXPECT_FALSE(MatchesMask(name, "FOUND.*") || MatchesMask(name, "FILE*.CHK")) << name;
    EXPECT_TRUE(MatchesMask(std::wstring(L"\x65E5\x672C.lnk"), std::wstring(L"*.lnk")));
    EXPECT_FALSE(MatchesMask(std::wstring(L"a.lnk\x0301"), std::wstring(L"*.lnk")));
}

TEST(JoinPathTest, PutsExactlyOneSeparatorBetween)
{
    EXPECT_EQ("C:\\FOUND.*", JoinPath("C:\\", "FOUND.*"));
    EXPECT_EQ("C:\\Temp\\a.txt", JoinPath("C:\\Temp", "a.txt"));
    EXPECT_EQ("C:\\Temp\\a.txt", JoinPath("C:\\Temp\\", "a.txt"));
    EXPECT_EQ("C:\\Temp\\sub", JoinPath("C:\\Temp\\", "\\sub"));
    EXPECT_EQ("C:\\Temp\\sub", JoinPath("C:\\Temp", "\\sub"));
}

} // namespace
} // namespace corvale
