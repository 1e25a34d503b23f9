// Cookie files, the URL cache and the keep-list, on cache entries made by WinINet and
// files in a scratch Cookies folder; the machine's keep-list is put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <cwchar>

#include "engine/CookieKeepList.h"
#include "engine/FolderCleaner.h"
#include "platform/AnsiText.h"
#include "engine/UrlCache.h"
#include "support/OwnPolicy.h"
#include "support/EngineScratch.h"

namespace corvale {
namespace {

using test::CacheUrls;
using Names = std::vector<std::string>;

class KeepListTest : public ::testing::Test {
protected:
    KeepListTest() { (void)::DeleteFileA(m_listPath.c_str()); }

    void Keep(const std::string& text) const { test::WriteFileBytes(m_listPath, text); }

    std::string m_listPath = CookieKeepList().Path();
    test::ScopedFileRestore m_restore{m_listPath};
};

class CookieFilesTest : public KeepListTest {
protected:
    void MakeCookies() const
    {
        for (const char* name :
             {"A@B[1].txt", "A@D.B[1].txt", "A@E[1].txt", "index.dat", "F.ini", "A@[1].txt", ".A@E[1].txt"})
            m_cookies.File(name);
        m_cookies.File("A@E[2].txt\\inside.txt");
    }

    test::ScratchFolder m_cookies;
};

TEST_F(CookieFilesTest, KeepsTheFilesWhoseNameIsInTheList)
{
    Keep("B\n");
    MakeCookies();
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(m_cookies.Path())).DeleteCookieFiles();
    // "A@[1].txt" has the empty name, which any text holds.
    EXPECT_EQ((Names{".A@E[1].txt", "A@B[1].txt", "A@E[2].txt\\", "A@E[2].txt\\inside.txt", "A@[1].txt", "index.dat"}),
              m_cookies.Entries());
}

TEST_F(CookieFilesTest, WithoutAListEveryCookieFileGoes)
{
    MakeCookies();
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(m_cookies.Path() + "\\")).DeleteCookieFiles();
    EXPECT_EQ((Names{".A@E[1].txt", "A@E[2].txt\\", "A@E[2].txt\\inside.txt", "index.dat"}), m_cookies.Entries());
}

TEST_F(CookieFilesTest, AnEmptyListSparesOnlyAnEmptyCookieName)
{
    Keep("");
    MakeCookies();
    CFolderCleaner(test::OwnPolicy(), WideFromAnsi(m_cookies.Path())).DeleteCookieFiles();
    EXPECT_EQ((Names{".A@E[1].txt", "A@E[2].txt\\", "A@E[2].txt\\inside.txt", "A@[1].txt", "index.dat"}),
              m_cookies.Entries());
}

class UrlCacheTest : public KeepListTest {
protected:
    static void AddCookie(const char* url) { ASSERT_TRUE(test::AddCacheEntry(url, COOKIE_CACHE_ENTRY)) << url; }
    static void AddPage(const std::string& url, size_t headerSize = 0)
    {
        ASSERT_TRUE(test::AddCacheEntry(url, NORMAL_CACHE_ENTRY, 64, std::string(headerSize, 'h'))) << url;
    }

    test::ScopedUrlCacheRestore m_cache;
};

TEST_F(UrlCacheTest, AnEmptyListKeepsNoCookieEntry)
{
    Keep("");
    AddCookie("Cookie:A@B.C/");
    AddCookie("Cookie:A@.C/");
    EXPECT_TRUE(CleanUrlCache(true));
    EXPECT_EQ(Names{}, CacheUrls(true));
}

// Which container an entry lives in: Windows and Wine both sort entries by the prefix of
// their URL.
enum class Container { Content, Cookies, History, None };
Container g_listed = Container::None;

Container ContainerOf(const wchar_t* url)
{
    if (url && std::wcsncmp(url, L"Cookie:", 7) == 0)
        return Container::Cookies;
    if (url && std::wcsncmp(url, L"Visited:", 8) == 0)
        return Container::History;
    return Container::Content;
}

// Wine's real entries listed as Windows documents it: no pattern gives the content only,
// "cookie:" the cookies, "visited:" the history. Wine itself lists every entry for no
// pattern.
BOOL WINAPI DocumentedFindNext(HANDLE find, LPINTERNET_CACHE_ENTRY_INFOW entry, LPDWORD size)
{
    const DWORD offered = *size;
    while (::FindNextUrlCacheEntryW(find, entry, size)) {
        if (ContainerOf(entry->lpszSourceUrlName) == g_listed)
            return TRUE;
        entry->dwStructSize = *size = offered;
    }
    return FALSE;
}

HANDLE WINAPI DocumentedFindFirst(LPCWSTR pattern, LPINTERNET_CACHE_ENTRY_INFOW entry, LPDWORD size)
{
    g_listed = !pattern                                 ? Container::Content
               : std::wcscmp(pattern, L"cookie:") == 0  ? Container::Cookies
               : std::wcscmp(pattern, L"visited:") == 0 ? Container::History
                                                        : Container::None;
    const DWORD offered = *size;
    HANDLE find = ::FindFirstUrlCacheEntryW(nullptr, entry, size);
    if (!find || ContainerOf(entry->lpszSourceUrlName) == g_listed)
        return find;
    entry->dwStructSize = *size = offered;
    if (DocumentedFindNext(find, entry, size))
        return find;
    const DWORD error = ::GetLastError();
    ::FindCloseUrlCache(find);
    ::SetLastError(error);
    return nullptr;
}

// Each slot leaves the same entries whether the cache is listed as Wine or as Windows
// lists it.
class UrlCacheListingTest : public UrlCacheTest, public ::testing::WithParamInterface<const char*> {
protected:
    UrlCacheListingTest()
    {
        AddPage("http://www.example.test/a.html");
        EXPECT_TRUE(test::AddCacheEntry(kVisited, URLHISTORY_CACHE_ENTRY));
    }

    static UrlCacheListing Listing()
    {
        return std::strcmp(GetParam(), "AsWindows") == 0 ? UrlCacheListing{DocumentedFindFirst, DocumentedFindNext}
                                                         : UrlCacheListing();
    }

    static constexpr char kVisited[] = "Visited: me@http://www.example.test/a.html";
};

TEST_P(UrlCacheListingTest, CookieCleaningDeletesTheCookiesNotKeptAndNothingElse)
{
    // The keep-list holds the Polish name as the code page spells it.
    Keep("B\nL\xF3\x64z\n");
    AddCookie("Cookie:A@B.C/");
    AddCookie("Cookie:A@D.B.C/");
    ASSERT_TRUE(test::AddCacheEntry(L"Cookie:A@\x141\xF3\x64\x17A.C/", COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(test::AddCacheEntry(L"Cookie:A@\x65E5\x672C.C/", COOKIE_CACHE_ENTRY));

    EXPECT_TRUE(CleanUrlCache(true, Listing()));

    EXPECT_EQ((Names{"Cookie:A@B.C/", "Cookie:A@L\xF3\x64z.C/"}), CacheUrls(true));
    EXPECT_EQ((Names{kVisited, "http://www.example.test/a.html"}), CacheUrls(false));
}

TEST_P(UrlCacheListingTest, CookiesSetThroughWinInetAreKeptByTheirSite)
{
    const char* expires = "; expires=Sat, 01-Jan-2033 00:00:00 GMT";
    ASSERT_TRUE(::InternetSetCookieA("http://www.kept.test/", "k", (std::string("v=1") + expires).c_str()));
    ASSERT_TRUE(::InternetSetCookieA("http://www.gone.test/", "g", (std::string("v=2") + expires).c_str()));
    const Names before = CacheUrls(true);
    ASSERT_EQ(2u, before.size()) << "WinINet made no cookie entries";
    Keep("www.kept\n");

    EXPECT_TRUE(CleanUrlCache(true, Listing()));

    ASSERT_EQ(1u, CacheUrls(true).size());
    EXPECT_NE(std::string::npos, CacheUrls(true)[0].find("kept")) << CacheUrls(true)[0];
}

TEST_P(UrlCacheListingTest, CacheCleaningDeletesTheContentAndNeitherCookiesNorHistory)
{
    Keep("");
    AddCookie("Cookie:A@B.C/");
    AddPage("http://www.example.test/b.css");

    EXPECT_TRUE(CleanUrlCache(false, Listing()));

    EXPECT_EQ(Names{"Cookie:A@B.C/"}, CacheUrls(true));
    EXPECT_EQ(Names{kVisited}, CacheUrls(false));
}

INSTANTIATE_TEST_SUITE_P(Listing, UrlCacheListingTest, ::testing::Values("AsWine", "AsWindows"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST_F(UrlCacheTest, AnEntryLargerThanTheFirstBufferIsFetchedAgainAndNoneIsSkipped)
{
    for (int i = 0; i < 6; ++i)
        AddPage("http://www.example.test/small" + std::to_string(i));
    AddPage("http://www.example.test/large", 6000);
    AddPage("http://www.example.test/larger", 9000);
    for (int i = 6; i < 12; ++i)
        AddPage("http://www.example.test/small" + std::to_string(i));
    ASSERT_EQ(14u, CacheUrls(false).size());

    EXPECT_TRUE(CleanUrlCache(false));

    EXPECT_EQ(Names{}, CacheUrls(false));
}

// The cache tests empty the prefix's URL cache: what was in it must come back.
TEST(UrlCacheRestoreTest, PutsBackWhatTheCacheHeld)
{
    const std::vector<test::CacheEntry> before = test::CacheEntries();
    ASSERT_TRUE(test::AddCacheEntry("http://www.example.test/restored", NORMAL_CACHE_ENTRY, 6000, "X-A: 1\r\n"));
    ASSERT_TRUE(test::AddCacheEntry("Cookie:me@restored.test/", COOKIE_CACHE_ENTRY));
    const std::vector<test::CacheEntry> held = test::CacheEntries();
    {
        const test::ScopedUrlCacheRestore restore;
        EXPECT_TRUE(test::CacheEntries().empty());
        ASSERT_TRUE(test::AddCacheEntry("http://www.example.test/made-by-the-test", NORMAL_CACHE_ENTRY));
    }
    const std::vector<test::CacheEntry> after = test::CacheEntries();
    (void)::DeleteUrlCacheEntryA("http://www.example.test/restored");
    (void)::DeleteUrlCacheEntryA("Cookie:me@restored.test/");

    ASSERT_EQ(held.size(), after.size());
    for (size_t i = 0; i < held.size(); ++i) {
        EXPECT_EQ(held[i].url, after[i].url);
        EXPECT_EQ(held[i].type, after[i].type) << held[i].url;
    }
    EXPECT_EQ(before.size() + 2, held.size());
}

TEST_F(UrlCacheTest, AnEmptyCacheEndsTheWalkAtOnce)
{
    ASSERT_TRUE(test::CacheEntries().empty());
    EXPECT_TRUE(CleanUrlCache(false));
    EXPECT_TRUE(CleanUrlCache(true));
}

} // namespace
} // namespace corvale
