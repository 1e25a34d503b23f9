// CFolderCleaner on real trees in the test prefix: what goes and what stays.
#include <gtest/gtest.h>

#include "engine/FolderCleaner.h"
#include "platform/AnsiText.h"
#include "platform/Handle.h"
#include "support/OwnPolicy.h"
#include "support/EngineScratch.h"
#include "support/ReferenceSweeps.h"

namespace corvale {
namespace {

using test::PathExists;
using test::ScratchFolder;
using Entries = std::vector<std::string>;

// A tree with every kind of plain entry the sweep meets.
void MakeTree(const ScratchFolder& folder)
{
    folder.File("target\\plain.txt");
    folder.File("target\\readonly.txt", "r", FILE_ATTRIBUTE_READONLY);
    folder.File("target\\hidden.dat", "h", FILE_ATTRIBUTE_HIDDEN);
    folder.File("target\\system.sys", "s", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    folder.File("target\\nested\\deeper\\deepest.txt", "d", FILE_ATTRIBUTE_READONLY);
    folder.File("target\\nested\\n.txt");
    folder.Folder("target\\empty");
    (void)::SetFileAttributesA((folder / "target\\nested").c_str(), FILE_ATTRIBUTE_READONLY);
    folder.File("outside.txt");
    folder.File("target-sibling\\keep.txt");
}

class SweepTreeTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SweepTreeTest, EmptiesTheFolderKeepsItAndTouchesNothingBesideIt)
{
    ScratchFolder folder;
    MakeTree(folder);

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(folder / "target" + GetParam())).SweepTree(L"", L"");

    EXPECT_EQ((Entries{"outside.txt", "target-sibling\\", "target-sibling\\keep.txt", "target\\"}), folder.Entries());
}

INSTANTIATE_TEST_SUITE_P(TrailingSeparator, SweepTreeTest, ::testing::Values("", "\\"));

TEST(SweepTreeTest, AFileHeldOpenStaysWithItsFoldersAndEverythingElseGoes)
{
    ScratchFolder folder;
    MakeTree(folder);
    const std::string held = folder.File("target\\busy\\inner\\held.txt");
    folder.File("target\\busy\\free.txt");
    HANDLE file = ::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(folder / "target")).SweepTree(L"", L"");
    ::CloseHandle(file);

    EXPECT_EQ((Entries{"outside.txt", "target-sibling\\", "target-sibling\\keep.txt", "target\\", "target\\busy\\",
                       "target\\busy\\inner\\", "target\\busy\\inner\\held.txt"}),
              folder.Entries());
}

// Attributes cleared only where they stop a delete must take exactly what clearing them
// before every delete takes: twin mixed trees, one swept each way, some files held open.
constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY, kHidden = FILE_ATTRIBUTE_HIDDEN, kSystem = FILE_ATTRIBUTE_SYSTEM;
const std::pair<const char*, DWORD> kMixedTree[] = {
    {"plain.txt", 0},
    {"readonly.txt", kReadOnly},
    {"hidden.txt", kHidden},
    {"system.txt", kSystem | kHidden},
    {"all.txt", kReadOnly | kHidden | kSystem},
    {"ro-folder\\inner.txt", kReadOnly | kHidden},
    {"ro-folder\\", kReadOnly},
    {"hidden-folder\\system-folder\\deep.txt", kSystem},
    {"hidden-folder\\system-folder\\", kSystem | kHidden},
    {"hidden-folder\\empty\\", kReadOnly | kSystem},
    {"hidden-folder\\", kHidden},
};

struct EquivalenceCase {
    const char* name;
    Entries held; // open while the sweep runs
    Entries left;
};

void PrintTo(const EquivalenceCase& value, std::ostream* os)
{
    *os << value.name;
}

class AttributeResetEquivalenceTest : public ::testing::TestWithParam<EquivalenceCase> {
protected:
    Entries SweptLeaves(const ScratchFolder& tree, void (*sweep)(const std::string&)) const
    {
        for (const auto& [path, attributes] : kMixedTree) {
            const std::string relative = path;
            if (relative.back() == '\\')
                (void)::SetFileAttributesA(tree.Folder(relative).c_str(), attributes);
            else
                tree.File(relative, "x", attributes);
        }
        std::vector<FileHandle> held;
        for (const std::string& relative : GetParam().held)
            held.emplace_back(::CreateFileA((tree / relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        sweep(tree.Path());
        return tree.Entries();
    }
};

TEST_P(AttributeResetEquivalenceTest, TakesWhatAResetBeforeEveryDeleteTakes)
{
    const ScratchFolder swept, reference;
    const Entries left =
        SweptLeaves(swept, [](const std::string& folder) { CFolderCleaner(test::OwnPolicy(), WideFromAnsi(folder)).SweepTree(L"", L""); });

    EXPECT_EQ(SweptLeaves(reference, test::AttributeResetSweep), left);
    EXPECT_EQ(GetParam().left, left);
}

INSTANTIATE_TEST_SUITE_P(
    MixedTrees, AttributeResetEquivalenceTest,
    ::testing::Values(EquivalenceCase{"NothingHeld", {}, {}},
                      EquivalenceCase{"ReadOnlyAndSystemFilesHeld",
                                      {"ro-folder\\inner.txt", "hidden-folder\\system-folder\\deep.txt"},
                                      {"hidden-folder\\", "hidden-folder\\system-folder\\",
                                       "hidden-folder\\system-folder\\deep.txt", "ro-folder\\",
                                       "ro-folder\\inner.txt"}}),
    [](const ::testing::TestParamInfo<EquivalenceCase>& info) { return std::string(info.param.name); });

TEST(SweepTreeTest, AMissingFolderIsNoError)
{
    ScratchFolder folder;
    folder.File("a.txt");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(folder / "missing")).SweepTree(L"", L"");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(folder / "a.txt")).SweepTree(L"", L"");
    EXPECT_EQ((Entries{"a.txt"}), folder.Entries());
}

TEST(SweepTreeTest, TheMaskActsOnlyAtTheFirstLevel)
{
    ScratchFolder folder;
    folder.File("FOUND.000\\a.chk");
    folder.File("FOUND.000\\sub\\b.txt", "b", FILE_ATTRIBUTE_READONLY);
    folder.File("found.txt");
    folder.File("other\\FOUND.001");
    folder.File("other\\FOUND.002\\c.txt");
    folder.File("NOTFOUND.000");

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(folder.Path())).SweepTree(L"", L"FOUND*");

    EXPECT_EQ((Entries{"NOTFOUND.000", "other\\", "other\\FOUND.001", "other\\FOUND.002\\", "other\\FOUND.002\\c.txt"}),
              folder.Entries());
}

// The disk-check leftovers live on drive roots; C: is the prefix's drive_c.
class DriveRootTest : public ::testing::Test {
protected:
    ~DriveRootTest() override
    {
        for (const char* folder : {"C:\\FOUND.000", "C:\\FOUND.old", "C:\\FILE0004.CHK"})
            test::RemoveTree(folder);
        for (const char* file : {"C:\\FOUND.TXT", "C:\\FILE0001.CHK", "C:\\FILE0002.CHK", "C:\\FILE0001.TXT"})
            (void)::DeleteFileA(file);
    }
};

TEST_F(DriveRootTest, MaskedSweepsOfADriveRootTakeOnlyTheDiskCheckLeftovers)
{
    ScratchFolder elsewhere;
    const ScratchFolder found("C:\\");
    found.File("keep.txt");
    test::RemoveTree("C:\\FOUND.000");
    ::CreateDirectoryA("C:\\FOUND.000", nullptr);
    test::WriteFileBytes("C:\\FOUND.000\\FILE0000.CHK", "x");
    ::CreateDirectoryA("C:\\FOUND.000\\sub", nullptr);
    test::WriteFileBytes("C:\\FOUND.000\\sub\\deep.txt", "x");
    for (const char* file : {"C:\\FOUND.TXT", "C:\\FILE0001.CHK", "C:\\FILE0002.CHK", "C:\\FILE0001.TXT"})
        test::WriteFileBytes(file, "x");
    (void)::SetFileAttributesA("C:\\FILE0002.CHK", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    elsewhere.File("FOUND.001");
    elsewhere.File("FILE0003.CHK");
    // A user's folders and file named like the leftovers, of the other kind or in words.
    for (const wchar_t* kept : {L"C:\\FOUND.old\\kept.txt", L"C:\\FILE0004.CHK\\kept.txt"})
        test::WriteFileBytes(std::wstring(kept), "kept");

    const test::OwnPolicy policy;
    const CFolderCleaner root(policy, L"C:\\");
    root.SweepTree(L"", L"FOUND.*");
    root.SweepTree(L"", L"FILE*.CHK");

    EXPECT_FALSE(PathExists("C:\\FOUND.000"));
    EXPECT_TRUE(PathExists("C:\\FOUND.TXT"));
    EXPECT_TRUE(PathExists("C:\\FOUND.old\\kept.txt") && PathExists("C:\\FILE0004.CHK\\kept.txt"));
    EXPECT_FALSE(PathExists("C:\\FILE0001.CHK"));
    EXPECT_FALSE(PathExists("C:\\FILE0002.CHK"));
    EXPECT_TRUE(PathExists("C:\\FILE0001.TXT"));
    EXPECT_TRUE(found.Exists("keep.txt"));
    // The harness's "C:\Found" and "C:\filelist.chkpt" match only by the platform's rules.
    EXPECT_TRUE(PathExists("C:\\Found\\photo.jpg") && PathExists("C:\\filelist.chkpt"));
    EXPECT_EQ((Entries{"FILE0003.CHK", "FOUND.001"}), elsewhere.Entries());
    EXPECT_TRUE(PathExists(test::WindowsFolder() + "\\system32\\kernel32.dll"));
}

TEST(DeleteMatchingFilesTest, DeletesOnlyWritablePlainFilesAtTheOneLevel)
{
    ScratchFolder folder;
    folder.File("a.lnk");
    folder.File("b.lnk", "b", FILE_ATTRIBUTE_READONLY);
    folder.File("c.lnk\\inside.lnk");
    folder.File("d.txt");
    folder.File("sub\\e.lnk");
    folder.File("hidden.lnk", "h", FILE_ATTRIBUTE_HIDDEN);

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(folder.Path() + "\\")).DeleteMatchingFiles(L"*.lnk");

    EXPECT_EQ((Entries{"b.lnk", "c.lnk\\", "c.lnk\\inside.lnk", "d.txt", "sub\\", "sub\\e.lnk"}), folder.Entries());
}

// Links made from the Linux side by the harness: tree-with-link\link points at
// link-target (with files), tree-with-empty-link\link at the empty empty-target.
class FolderLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The harness always makes them: without them the link cases would prove nothing.
        ASSERT_TRUE(PathExists(Fixture("tree-with-link\\link")) && PathExists(Fixture("tree-with-empty-link\\link")))
            << "the harness's link fixtures under " << test::kLinkFixtures << " are missing";
        const DWORD attributes = ::GetFileAttributesA(Fixture("tree-with-link\\link").c_str());
        ASSERT_NE(0u, attributes & FILE_ATTRIBUTE_REPARSE_POINT) << "the fixture is no link";
    }

    static std::string Fixture(const std::string& relative)
    {
        return std::string(test::kLinkFixtures) + "\\" + relative;
    }
};

TEST_F(FolderLinkTest, TheLinkStaysAndItsTargetIsNeverEntered)
{
    test::WriteFileBytes(Fixture("tree-with-link\\x.txt"), "tree");
    ::CreateDirectoryA(Fixture("tree-with-link\\real").c_str(), nullptr);
    test::WriteFileBytes(Fixture("tree-with-link\\real\\y.txt"), "tree");

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(Fixture("tree-with-link"))).SweepTree(L"", L"");

    EXPECT_EQ((Entries{"link\\"}), test::ListTree(Fixture("tree-with-link")));
    EXPECT_EQ((Entries{"a.txt", "sub\\", "sub\\b.txt"}), test::ListTree(Fixture("link-target")));
}

TEST_F(FolderLinkTest, AnEmptyTargetIsNotRemovedThroughItsLink)
{
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(Fixture("tree-with-empty-link"))).SweepTree(L"", L"");

    EXPECT_TRUE(PathExists(Fixture("tree-with-empty-link\\link")));
    EXPECT_TRUE(PathExists(Fixture("empty-target")));
}

TEST_F(FolderLinkTest, ALinkGivenAsTheFolderIsEmptiedInItsTargetAndNoFurther)
{
    // moved-link leads to moved-target, which holds inner-link to link-target.
    const std::pair<const char*, const char*> names[] = {
        {"moved-link", ""}, {"moved-link\\", ""}, {"moved-link\\.", ""}, {"", "moved-link"}};
    for (const auto& [folder, relative] : names) {
        test::WriteFileBytes(Fixture("moved-target\\a.txt"), "x");
        ::CreateDirectoryA(Fixture("moved-target\\sub").c_str(), nullptr);
        test::WriteFileBytes(Fixture("moved-target\\sub\\b.txt"), "x");

        CFolderCleaner(test::OwnPolicy(), WideFromAnsi(Fixture(folder))).SweepTree(WideFromAnsi(relative), L"");

        EXPECT_EQ((Entries{"inner-link\\"}), test::ListTree(Fixture("moved-target"))) << folder << relative;
    }
    EXPECT_TRUE(PathExists(Fixture("moved-link")));
    EXPECT_EQ((Entries{"a.txt", "sub\\", "sub\\b.txt"}), test::ListTree(Fixture("link-target")));
}

TEST_F(FolderLinkTest, MaskedSweepsLeaveMatchingLinksAlone)
{
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(Fixture("tree-with-link"))).SweepTree(L"", L"li*");
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(Fixture("tree-with-link"))).DeleteMatchingFiles(L"li*");

    EXPECT_TRUE(PathExists(Fixture("tree-with-link\\link")));
    EXPECT_EQ((Entries{"a.txt", "sub\\", "sub\\b.txt"}), test::ListTree(Fixture("link-target")));
}

// Paths beyond MAX_PATH exist (made here through "\\?\" wide paths), and the sweep
// takes them like any other: it opens each entry relative to its folder.
class LongPathTest : public ::testing::Test {
protected:
    static std::wstring Wide(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

    void SetUp() override
    {
        // A folder of 235 characters; in it a file of 260 and one of well over 260.
        const std::string relative =
            std::string(100, 'a') + "\\" + std::string(235 - m_folder.Path().size() - 102, 'b');
        m_longFolder = m_folder / relative;
        m_longFiles = {m_longFolder + "\\" + std::string(20, 'e') + ".txt",
                       m_longFolder + "\\" + std::string(60, 'c') + ".txt"};
        ASSERT_EQ(260u, m_longFiles[0].size());
        m_folder.File(relative + "\\short.txt");
        for (const std::string& path : m_longFiles) {
            HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot make a long path here";
            ::CloseHandle(file);
        }
        m_folder.File("top.txt");
    }

    void TearDown() override
    {
        for (const std::string& path : m_longFiles)
            ::DeleteFileW(Wide(path).c_str());
    }

    bool Exists(const std::string& path) const
    {
        return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    ScratchFolder m_folder;
    std::string m_longFolder;
    std::vector<std::string> m_longFiles;
};

TEST_F(LongPathTest, AnEntryBeyondMaxPathGoesWithItsFolders)
{
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(m_folder.Path())).SweepTree(L"", L"");

    EXPECT_FALSE(Exists(m_longFiles[0])) << "a path of 260 characters";
    EXPECT_FALSE(Exists(m_longFiles[1]));
    EXPECT_EQ(std::vector<std::string>(), m_folder.Entries());
}

// Deeper than any limit a sweep kept (200 levels): every level goes. Wine resolves every
// name from the root, so a deeper tree would only make the test slow.
TEST_F(LongPathTest, ATreeOfTwoHundredAndFiftyLevelsGoesWhole)
{
    std::wstring deepest = WideFromAnsi(m_folder.Path());
    for (int level = 0; level < 250; ++level)
        deepest += L"\\d";
    test::WriteFileBytes(deepest + L"\\bottom.txt", "x");

    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(m_folder.Path())).SweepTree(L"", L"");

    EXPECT_EQ(std::vector<std::string>(), m_folder.Entries());
}

} // namespace
} // namespace corvale
