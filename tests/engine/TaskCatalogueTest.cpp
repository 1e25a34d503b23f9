// Each slot's work on traces seeded in the test prefix: what it cleans, and that what
// lies beside its targets stays.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>
#include <objbase.h>

#include <cstring>
#include <thread>

#include "engine/TaskCatalogue.h"
#include "support/OwnPolicy.h"
#include "support/EngineUserState.h"
#include "support/Processes.h"

namespace corvale {
namespace {

using namespace test;
using Names = std::vector<std::string>;

class TaskSlotTest : public ::testing::Test {
protected:
    ScratchUserState m_state;
    ScopedUrlCacheRestore m_cache;
};

TEST_F(TaskSlotTest, TemporaryInternetFilesEmptyTheCacheFolderAndTheCacheButNotCookies)
{
    m_state.Root().File("Cache\\Content.IE5\\ABCD1234\\page[1].htm");
    m_state.Root().File("Cache\\desktop.ini", "d", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    m_state.Root().File("Cookies\\A@B[1].txt");
    ASSERT_TRUE(AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("Cookie:A@B.C/", COOKIE_CACHE_ENTRY));

    CleanTemporaryInternetFiles();

    EXPECT_EQ(Names{}, ListTree(m_state.Cache()));
    EXPECT_TRUE(PathExists(m_state.Cache()));
    EXPECT_TRUE(m_state.Root().Exists("Cookies\\A@B[1].txt"));
    EXPECT_EQ(Names{}, CacheUrls(false));
    EXPECT_EQ(Names{"Cookie:A@B.C/"}, CacheUrls(true));
}

class MissingCacheFolderTest : public TaskSlotTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingCacheFolderTest, SkipsOnlyTheFolderAndStillCleansTheCache)
{
    ScratchFolder current;
    current.File("in-current.txt");
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ::SetCurrentDirectoryA(current.Path().c_str());
    ScratchUserState::SetShellFolder("Cache", GetParam());
    ASSERT_TRUE(AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));

    CleanTemporaryInternetFiles();

    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(Names{}, CacheUrls(false));
    EXPECT_EQ(Names{"in-current.txt"}, current.Entries());
}

std::string CacheValueName(const ::testing::TestParamInfo<const char*>& info)
{
    const char* const names[] = {"Missing", "Empty", "Relative", "DriveRoot"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(CacheValue, MissingCacheFolderTest, ::testing::Values(nullptr, "", ".", "C:\\"),
                         CacheValueName);

TEST_F(TaskSlotTest, CookiesGoExceptThoseOnTheKeepList)
{
    WriteFileBytes(SystemFolder() + "\\coockies.sav", "B\n");
    for (const char* name : {"A@B[1].txt", "A@D.B[1].txt", "index.dat"})
        m_state.Root().File(std::string("Cookies\\") + name);
    m_state.Root().File("Cache\\page.htm");
    ASSERT_TRUE(AddCacheEntry("Cookie:A@B.C/", COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("Cookie:A@D.B.C/", COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));

    CleanCookies(test::OwnPolicy());

    EXPECT_EQ((Names{"A@B[1].txt", "index.dat"}), ListTree(m_state.Cookies()));
    EXPECT_EQ(Names{"Cookie:A@B.C/"}, CacheUrls(true));
    EXPECT_EQ(Names{"http://www.example.test/"}, CacheUrls(false));
    EXPECT_TRUE(m_state.Root().Exists("Cache\\page.htm"));
}

TEST_F(TaskSlotTest, HistoryLeavesNoComApartmentBehind)
{
    ClearBrowserHistory();
    const HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(S_OK, apartment) << "the slot's apartment was left open";
    if (SUCCEEDED(apartment))
        ::CoUninitialize();
}

TEST_F(TaskSlotTest, TypedAddressesAreEmptied)
{
    for (int i = 1; i <= 3; ++i)
        SetString(HKEY_CURRENT_USER, kTypedUrlsKey, "url" + std::to_string(i), "http://example.test/");
    SetWideString(HKEY_CURRENT_USER, kTypedUrlsKey, L"\x141\xF3\x64\x17A", L"http://\x141\xF3\x64\x17A.test/");
    ClearTypedAddresses();
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTypedUrlsKey));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, kTypedUrlsKey));
}

TEST_F(TaskSlotTest, SearchHistoryEmptiesTheListsButNotTheKeysOwnValues)
{
    const std::string key = kSearchAssistantKey;
    SetString(HKEY_CURRENT_USER, key, "own", "stays");
    SetString(HKEY_CURRENT_USER, key + "\\5001", "0", "secret words");
    SetString(HKEY_CURRENT_USER, key + "\\5603", "0", "other words");
    SetString(HKEY_CURRENT_USER, key + "\\5603", "MRUList", "a");

    ClearSearchHistory();

    EXPECT_EQ(Names{"own"}, ValueNames(HKEY_CURRENT_USER, key));
    EXPECT_EQ((Names{"5001", "5603"}), SubKeyNames(HKEY_CURRENT_USER, key));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, key + "\\5001"));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, key + "\\5603"));
}

TEST_F(TaskSlotTest, RecentDocumentsLoseTheirShortcutsOnly)
{
    m_state.Root().File("Recent\\report.doc.lnk");
    m_state.Root().File("Recent\\notes.txt");
    m_state.Root().File("Recent\\sub\\deep.lnk");
    ClearRecentDocuments(test::OwnPolicy());
    EXPECT_EQ((Names{"notes.txt", "sub\\", "sub\\deep.lnk"}), ListTree(m_state.Recent()));
}

class DiskCheckFilesTest : public TaskSlotTest {
protected:
    ~DiskCheckFilesTest() override
    {
        RemoveTree("C:\\FOUND.001");
        (void)::DeleteFileA("C:\\FILE0007.CHK");
        (void)::DeleteFileA("C:\\FILE0007.TXT");
    }
};

TEST_F(DiskCheckFilesTest, GoFromTheDriveRootsOnly)
{
    ::CreateDirectoryA("C:\\FOUND.001", nullptr);
    WriteFileBytes("C:\\FOUND.001\\FILE0000.CHK", "x");
    WriteFileBytes("C:\\FILE0007.CHK", "x");
    WriteFileBytes("C:\\FILE0007.TXT", "x");
    m_state.Root().File("FOUND.002\\FILE0001.CHK");

    CleanScandiskFiles(test::OwnPolicy());

    EXPECT_FALSE(PathExists("C:\\FOUND.001"));
    EXPECT_FALSE(PathExists("C:\\FILE0007.CHK"));
    EXPECT_TRUE(PathExists("C:\\FILE0007.TXT"));
    EXPECT_TRUE(m_state.Root().Exists("FOUND.002\\FILE0001.CHK"));
}

TEST_F(TaskSlotTest, ClipboardIsEmptied)
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, 8);
    std::memcpy(::GlobalLock(text), "secret", 7);
    ::GlobalUnlock(text);
    ASSERT_TRUE(::SetClipboardData(CF_TEXT, text));
    ::CloseClipboard();
    ASSERT_TRUE(::IsClipboardFormatAvailable(CF_TEXT));

    EmptyClipboardMemory();

    EXPECT_FALSE(::IsClipboardFormatAvailable(CF_TEXT));
}

// Emptying the clipboard waits for its owner's answer: an owner that stopped answering
// would hold the run for ever, so its clipboard is left alone.
TEST_F(TaskSlotTest, AClipboardWhoseOwnerStoppedAnsweringIsLeftAlone)
{
    HANDLE owned = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND owner = nullptr;
    std::thread hung([&] {
        owner = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (::OpenClipboard(owner)) {
            ::EmptyClipboard();
            HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, 8);
            std::memcpy(::GlobalLock(text), "secret", 7);
            ::GlobalUnlock(text);
            ::SetClipboardData(CF_TEXT, text);
            ::CloseClipboard();
        }
        ::SetEvent(owned);
        ::WaitForSingleObject(release, INFINITE); // answers nothing meanwhile
        ::DestroyWindow(owner);
    });
    ::WaitForSingleObject(owned, INFINITE);
    ASSERT_TRUE(owner && ::GetClipboardOwner() == owner);
    ::Sleep(5500); // Windows calls a window hung after five seconds without an answer

    EmptyClipboardMemory();

    EXPECT_TRUE(::IsClipboardFormatAvailable(CF_TEXT));
    ::SetEvent(release);
    hung.join();
    ::CloseHandle(owned);
    ::CloseHandle(release);
}

TEST_F(TaskSlotTest, DownloadedProgramFilesAreEmptiedAndTheFolderKept)
{
    const std::string folder = WindowsFolder() + "\\Downloaded Program Files";
    const bool existed = PathExists(folder);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileBytes(folder + "\\control.ocx", "x");
    ::CreateDirectoryA((folder + "\\CONFLICT.1").c_str(), nullptr);
    WriteFileBytes(folder + "\\CONFLICT.1\\old.inf", "x");

    CleanDownloadedProgramFiles(test::OwnPolicy());

    EXPECT_EQ(Names{"corvale-data-link\\"}, ListTree(folder)) << "only the harness's link stays";
    EXPECT_TRUE(PathExists(folder));
    if (!existed)
        ::RemoveDirectoryA(folder.c_str());
}

// The fixed temporary folders that are plain folders here, made for the test where they
// were missing.
class TemporaryFoldersTest : public TaskSlotTest {
protected:
    TemporaryFoldersTest()
    {
        for (const std::string& folder : m_fixed) {
            m_made.push_back(!PathExists(folder));
            ::CreateDirectoryA(folder.c_str(), nullptr);
            WriteFileBytes(folder + "\\corvale-temp-trace.tmp", "x");
        }
    }
    ~TemporaryFoldersTest() override
    {
        for (size_t i = 0; i < m_fixed.size(); ++i) {
            (void)::DeleteFileA((m_fixed[i] + "\\corvale-temp-trace.tmp").c_str());
            if (m_made[i])
                ::RemoveDirectoryA(m_fixed[i].c_str());
        }
    }

    // The harness's C:\tmp is a link into the user's Documents, which stays as it is.
    void ExpectFixedFoldersSwept() const
    {
        for (const std::string& folder : m_fixed) {
            EXPECT_TRUE(PathExists(folder));
            EXPECT_FALSE(PathExists(folder + "\\corvale-temp-trace.tmp")) << folder;
        }
        EXPECT_TRUE(PathExists("C:\\tmp\\thesis.docx"));
    }

    std::vector<std::string> m_fixed = {WindowsFolder() + "\\temp", WindowsFolder() + "\\tmp", "c:\\temp"};
    std::vector<bool> m_made;
};

TEST_F(TemporaryFoldersTest, TheUsersAndTheFixedTemporaryFoldersAreEmptied)
{
    m_state.Root().File("Temp\\~setup\\a.tmp", "a", FILE_ATTRIBUTE_READONLY);
    m_state.Root().File("Temp\\b.tmp");
    m_state.Root().File("beside-temp.txt");

    CleanTemporaryFolders(test::OwnPolicy());

    EXPECT_EQ(Names{}, ListTree(m_state.Temp()));
    EXPECT_TRUE(m_state.Root().Exists("beside-temp.txt"));
    ExpectFixedFoldersSwept();
}

class DangerousTempTest : public TemporaryFoldersTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DangerousTempTest, IsSkippedAndTheFixedFoldersAreStillEmptied)
{
    const std::string tempValue = GetParam()[0] ? GetParam() : WindowsFolder();
    ScopedEnvironment temp("TEMP", tempValue);
    ScopedEnvironment tmp("TMP", tempValue);
    const std::string canary = (tempValue.back() == '\\' ? tempValue : tempValue + "\\") + "corvale-canary.txt";
    WriteFileBytes(canary, "alive");

    CleanTemporaryFolders(test::OwnPolicy());

    EXPECT_TRUE(PathExists(canary)) << tempValue;
    (void)::DeleteFileA(canary.c_str());
    ExpectFixedFoldersSwept();
}

std::string TempValueName(const ::testing::TestParamInfo<const char*>& info)
{
    const char* const names[] = {"DriveRoot", "UsersFolder", "WindowsFolder"};
    return names[info.index];
}

INSTANTIATE_TEST_SUITE_P(Temp, DangerousTempTest, ::testing::Values("C:\\", "C:\\users", ""), TempValueName);

TEST_F(TaskSlotTest, RunAndOpenSaveListsAreEmptied)
{
    const std::string openSave = kOpenSaveMruKey;
    SetString(HKEY_CURRENT_USER, kRunMruKey, "a", "regedit\\1");
    SetString(HKEY_CURRENT_USER, kRunMruKey, "MRUList", "a");
    SetWideString(HKEY_CURRENT_USER, kRunMruKey, L"\x65E5\x672C\x8A9E", L"notepad \x65E5\x672C\x8A9E.txt\\1");
    SetString(HKEY_CURRENT_USER, openSave, "a", "C:\\secret.txt");
    SetString(HKEY_CURRENT_USER, openSave + "\\txt", "a", "C:\\secret.txt");
    SetString(HKEY_CURRENT_USER, openSave + "\\*", "MRUList", "a");

    ClearRunHistory();

    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, kRunMruKey));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, openSave));
    EXPECT_EQ((Names{"*", "txt"}), SubKeyNames(HKEY_CURRENT_USER, openSave));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, openSave + "\\txt"));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, openSave + "\\*"));
}

TEST_F(TaskSlotTest, NetworkListsAreEmptiedAndNetHoodOnlyBeforeVista)
{
    m_state.Root().File("NetHood\\server share\\target.lnk");
    SetString(HKEY_CURRENT_USER, kSharesKey, "\\\\server\\share", "");
    SetString(HKEY_CURRENT_USER, kMappedDrivesKey, "a", "\\\\server\\share");
    SetString(HKEY_CURRENT_USER, kMappedDrivesKey, "MRUList", "a");

    ClearNetworkDriveLists(test::OwnPolicy());

    EXPECT_EQ((Names{"server share\\", "server share\\target.lnk"}), ListTree(m_state.NetHood()))
        << "the prefix reports Windows 7, where NetHood holds the user's own network locations";
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, kSharesKey));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, kMappedDrivesKey));

    // Wine reads the version it reports when a process starts: the slot runs again in
    // this program under a name that the prefix runs as Windows XP.
    const std::string appDefaults = "Software\\Wine\\AppDefaults";
    const ScopedKeyRestore restore(HKEY_CURRENT_USER, appDefaults);
    SetString(HKEY_CURRENT_USER, appDefaults + "\\corvale-as-xp.exe", "Version", "winxp");
    char self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    const std::string asXp = m_state.Root() / "corvale-as-xp.exe";
    ASSERT_TRUE(::CopyFileA(self, asXp.c_str(), FALSE));
    EXPECT_EQ(0u, RunAndWait("\"" + asXp + "\" --gtest_also_run_disabled_tests --gtest_filter=AsWindowsXp.*"));
    EXPECT_EQ(Names{}, ListTree(m_state.NetHood()));
}

// Run by the test above as Windows XP, on the folders it arranged.
TEST(AsWindowsXp, DISABLED_NetworkDriveLists)
{
    ASSERT_EQ(5u, LOBYTE(::GetVersion())) << "Wine did not take the version";
    ClearNetworkDriveLists(test::OwnPolicy());
}

TEST_F(TaskSlotTest, ThePageFilePolicyMirrorsTheFlag)
{
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kSessionManagerKey));
    WriteClearPageFileAtShutdown(1);
    EXPECT_EQ(1u, GetDwordValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, "ClearPageFileAtShutdown"));
    WriteClearPageFileAtShutdown(0);
    EXPECT_EQ(0u, GetDwordValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, "ClearPageFileAtShutdown"));
}

TEST_F(TaskSlotTest, TheRecentDocsPolicyIsWrittenOnlyWhereItsKeyExists)
{
    DeleteKeyTree(HKEY_CURRENT_USER, kExplorerPoliciesKey);
    WriteNoRecentDocsHistory(1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kExplorerPoliciesKey));

    CreateKey(HKEY_CURRENT_USER, kExplorerPoliciesKey);
    WriteNoRecentDocsHistory(1);
    EXPECT_EQ(1u, GetDwordValue(HKEY_CURRENT_USER, kExplorerPoliciesKey, "NoRecentDocsHistory"));
    WriteNoRecentDocsHistory(0);
    EXPECT_EQ(0u, GetDwordValue(HKEY_CURRENT_USER, kExplorerPoliciesKey, "NoRecentDocsHistory"));
}

} // namespace
} // namespace corvale
