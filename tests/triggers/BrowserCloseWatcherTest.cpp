// The browser-window watcher as the shell would call it: through IDispatch::Invoke with
// the event's DISPID and the window's cookie, while real windows of the browser's and
// of File Explorer's classes open and close on the display.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "controls/TestWindows.h"
#include "support/EngineUserState.h"
#include "support/ShellWindows.h"
#include "triggers/BrowserCloseWatcher.h"

namespace corvale {
namespace {

using namespace test;
using Names = std::vector<std::string>;
using Watcher = CBrowserCloseWatcher;

class BrowserCloseWatcherTest : public ::testing::Test {
protected:
    BrowserCloseWatcherTest()
    {
        m_host.Create(RECT{0, 0, 1, 1});
        m_watcher.SetWindow(m_host);
    }
    HRESULT Fire(DISPID event) { return FireShellWindowsEvent(&m_watcher, event); }
    // Answers what the shell's calls posted, as the main window does; how many there were.
    int AnswerPosted(Watcher& watcher)
    {
        int posted = 0;
        const UINT posting = Watcher::kWindowsRevokedMessage;
        for (MSG msg; ::PeekMessageA(&msg, m_host, posting, posting, PM_REMOVE); ++posted)
            watcher.OnWindowsRevoked();
        return posted;
    }
    // A browser window opens and closes, as the shell reports it, and the report is answered.
    void CloseBrowserWindow()
    {
        ShellWindow browser(Watcher::kBrowserFrameClass);
        EXPECT_EQ(Fire(Watcher::kWindowRegistered), S_OK);
        browser.Close();
        EXPECT_EQ(Fire(Watcher::kWindowRevoked), S_OK);
        EXPECT_EQ(AnswerPosted(m_watcher), 1);
    }
    std::string SeedCacheFolder() { return m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm"); }

    ScratchUserState m_state;
    ScopedUrlCacheRestore m_cache;
    CleaningOptions m_options;
    HostWindow m_host;
    Watcher m_watcher{m_options};
};

TEST_F(BrowserCloseWatcherTest, AClosingBrowserWindowCleansTheCacheButNotCookiesOnlyWhenTheOptionIsOn)
{
    const std::string page = SeedCacheFolder();
    m_state.Root().File("Cookies\\A@B[1].txt");
    ASSERT_TRUE(AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("Cookie:A@B.C/", COOKIE_CACHE_ENTRY));
    CloseBrowserWindow();
    EXPECT_TRUE(PathExists(page)) << "cleaned with the option off";

    m_options.OptionFlags[Option::IeTempFilesOnClose] = 1;
    CloseBrowserWindow();
    EXPECT_EQ(ListTree(m_state.Cache()), Names{});
    EXPECT_EQ(CacheUrls(false), Names{});
    EXPECT_EQ(CacheUrls(true), Names{"Cookie:A@B.C/"});
    EXPECT_TRUE(m_state.Root().Exists("Cookies\\A@B[1].txt"));
}

TEST_F(BrowserCloseWatcherTest, OnlyABrowserWindowsCloseCleansOnceForABurstAfterTheShellsCall)
{
    struct Case {
        const char* closing;
        bool destroyed; // or only hidden yet, on its way out
        int revokes;
        bool cleans;
    };
    const Case cases[] = {
        {"CabinetWClass", true, 1, false},
        {Watcher::kBrowserFrameClass, true, 3, true},
        {Watcher::kBrowserFrameClass, false, 1, true},
    };
    m_options.OptionFlags[Option::IeTempFilesOnClose] = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.closing << " destroyed " << c.destroyed);
        Watcher watcher(m_options);
        watcher.SetWindow(m_host);
        const std::string page = SeedCacheFolder();
        ShellWindow staying(Watcher::kBrowserFrameClass), closing(c.closing);
        for (LONG cookie : {1, 2})
            EXPECT_EQ(FireShellWindowsEvent(&watcher, Watcher::kWindowRegistered, cookie), S_OK);
        if (c.destroyed)
            closing.Close();
        else
            ::ShowWindow(closing, SW_HIDE);
        for (int i = 0; i < c.revokes; ++i)
            EXPECT_EQ(FireShellWindowsEvent(&watcher, Watcher::kWindowRevoked, 2), S_OK);
        EXPECT_TRUE(PathExists(page)) << "cleaned inside the shell's calls";
        EXPECT_EQ(AnswerPosted(watcher), 1);
        EXPECT_EQ(PathExists(page), !c.cleans);
    }
}

TEST_F(BrowserCloseWatcherTest, EveryClosingBrowserWindowCleansAgain)
{
    m_options.OptionFlags[Option::IeTempFilesOnClose] = 1;
    for (int window = 0; window < 3; ++window) {
        SeedCacheFolder();
        CloseBrowserWindow();
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
    EXPECT_EQ(id, Watcher::kWindowRevoked);
    // Under Wine the collection has no connection point: attaching fails silently.
    m_watcher.AttachShellWindows();
}

// The shell calls the sink from its own process, through a proxy; one made in another
// apartment of this process stands in for it.
struct ShellSide {
    IStream* stream = nullptr;
    HANDLE fire = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE fired = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HRESULT results[2] = {E_FAIL, E_FAIL};
};

DWORD WINAPI CallSinkTwice(void* param)
{
    auto* side = static_cast<ShellSide*>(param);
    (void)::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IDispatch* sink = nullptr;
    if (SUCCEEDED(::CoGetInterfaceAndReleaseStream(side->stream, IID_IDispatch, reinterpret_cast<void**>(&sink)))) {
        for (HRESULT& result : side->results) {
            ::WaitForSingleObject(side->fire, INFINITE);
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            result = sink->Invoke(CBrowserCloseWatcher::kWindowRegistered, IID_NULL, LOCALE_USER_DEFAULT,
                                  DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
            ::SetEvent(side->fired);
        }
        sink->Release();
    }
    ::CoUninitialize();
    return 0;
}

// Serves calls into this apartment, as its message loop does, until the handle is set.
void ServeUntil(HANDLE done)
{
    while (::MsgWaitForMultipleObjects(1, &done, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
}

void FireFromShell(ShellSide& side)
{
    ::SetEvent(side.fire);
    ServeUntil(side.fired);
}

TEST(BrowserCloseWatcherLife, AnEventAfterTheWatcherWentIsRefusedNotDelivered)
{
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    CleaningOptions options;
    auto watcher = std::make_unique<CBrowserCloseWatcher>(options);
    ShellSide side;
    ASSERT_EQ(
        ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, static_cast<IDispatch*>(watcher.get()), &side.stream),
        S_OK);
    HANDLE shell = ::CreateThread(nullptr, 0, CallSinkTwice, &side, 0, nullptr);
    FireFromShell(side);
    watcher.reset();
    FireFromShell(side);
    ServeUntil(shell);
    ::CloseHandle(shell);
    EXPECT_EQ(side.results[0], S_OK) << "the live sink was not reached";
    // Windows says the object is disconnected, Wine that the interface is unknown; a
    // call delivered to the freed object ends in an access violation instead.
    const HRESULT refused = side.results[1];
    EXPECT_TRUE(refused == RPC_E_DISCONNECTED || refused == CO_E_OBJNOTCONNECTED ||
                refused == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF))
        << "delivered to a watcher that is gone: " << std::hex << refused;
    ::CloseHandle(side.fire);
    ::CloseHandle(side.fired);
}

} // namespace
} // namespace corvale
