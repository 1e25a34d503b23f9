// The browser-window watcher as the shell would call it: through IDispatch::Invoke with
// the event's DISPID and the window's cookie as a VT_I4 argument (Wine's window
// collection delivers no events).
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include "support/EngineUserState.h"
#include "triggers/BrowserCloseWatcher.h"

namespace corvale {
namespace {

using namespace test;
using Names = std::vector<std::string>;

class BrowserCloseWatcherTest : public ::testing::Test {
protected:
    HRESULT Fire(DISPID event)
    {
        VARIANT cookie;
        ::VariantInit(&cookie);
        cookie.vt = VT_I4;
        cookie.lVal = 7;
        DISPPARAMS params{&cookie, nullptr, 1, 0};
        IDispatch* sink = &m_watcher;
        return sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    void SeedCacheFolder() { m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm"); }

    ScratchUserState m_state;
    ScopedUrlCacheRestore m_cache;
    CleaningOptions m_options;
    CBrowserCloseWatcher m_watcher{m_options};
};

TEST_F(BrowserCloseWatcherTest, AClosingWindowCleansTheCacheButNotCookiesOnlyWhenTheOptionIsOn)
{
    SeedCacheFolder();
    m_state.Root().File("Cookies\\A@B[1].txt");
    ASSERT_TRUE(AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("Cookie:A@B.C/", COOKIE_CACHE_ENTRY));

    EXPECT_EQ(Fire(CBrowserCloseWatcher::kWindowRevoked), S_OK);
    EXPECT_TRUE(m_state.Root().Exists("Cache\\Content.IE5\\X1\\page[1].htm")) << "cleaned with the option off";

    m_options.OptionFlags[Option::IeTempFilesOnClose] = 1;
    EXPECT_EQ(Fire(CBrowserCloseWatcher::kWindowRegistered), S_OK);
    EXPECT_TRUE(m_state.Root().Exists("Cache\\Content.IE5\\X1\\page[1].htm")) << "an opening window cleaned";
    EXPECT_EQ(CacheUrls(false).size(), 1u);

    EXPECT_EQ(Fire(CBrowserCloseWatcher::kWindowRevoked), S_OK);
    EXPECT_EQ(ListTree(m_state.Cache()), Names{});
    EXPECT_EQ(CacheUrls(false), Names{});
    EXPECT_EQ(CacheUrls(true), Names{"Cookie:A@B.C/"});
    EXPECT_TRUE(m_state.Root().Exists("Cookies\\A@B[1].txt"));
}

TEST_F(BrowserCloseWatcherTest, EveryClosingWindowCleansAgain)
{
    m_options.OptionFlags[Option::IeTempFilesOnClose] = 1;
    for (int window = 0; window < 3; ++window) {
        SeedCacheFolder();
        EXPECT_EQ(Fire(CBrowserCloseWatcher::kWindowRevoked), S_OK);
        EXPECT_EQ(ListTree(m_state.Cache()), Names{}) << "window " << window;
    }
}

TEST_F(BrowserCloseWatcherTest, AnswersAsTheShellsEventInterfaceAndNothingElse)
{
    IDispatch* sink = &m_watcher;
    void* object = nullptr;
    EXPECT_EQ(sink->QueryInterface(IID_IDispatch, &object), S_OK);
    EXPECT_EQ(sink->QueryInterface(IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(Fire(202), DISP_E_MEMBERNOTFOUND);
    OLECHAR name[] = L"WindowRevoked";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(sink->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, CBrowserCloseWatcher::kWindowRevoked);
    // Under Wine the collection has no connection point: attaching fails silently.
    m_watcher.AttachShellWindows();
    ReleaseShellWindowsLink();
}

} // namespace
} // namespace corvale
