// The browser-window watcher as the shell would call it: through IDispatch::Invoke with
// the event's DISPID and the window's cookie, while real windows of the browser's and
// of File Explorer's classes open and close on the display. What a close cleans is the
// main window's answer (MainWindowTest).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <utility>

#include "controls/TestWindows.h"
#include "support/ShellWindows.h"
#include "triggers/BrowserCloseWatcher.h"

namespace corvale {
namespace {

using namespace test;
using Watcher = CBrowserCloseWatcher;

class BrowserCloseWatcherTest : public ::testing::Test {
protected:
    BrowserCloseWatcherTest()
    {
        m_host.Create(RECT{0, 0, 1, 1});
        m_watcher.SetWindow(m_host);
    }
    HRESULT Fire(DISPID event) { return FireShellWindowsEvent(&m_watcher, event); }
    // Answers what the shell's calls posted, as the main window does: how many posts
    // there were, and how many of the answers found a browser window closed.
    std::pair<int, int> AnswerPosted(Watcher& watcher)
    {
        int posted = 0, closed = 0;
        const UINT posting = Watcher::kWindowsRevokedMessage;
        for (MSG msg; ::PeekMessageA(&msg, m_host, posting, posting, PM_REMOVE); ++posted)
            closed += watcher.BrowserWindowClosed();
        return {posted, closed};
    }
    // A browser window opens and closes, as the shell reports it; whether the answer
    // found it closed.
    bool CloseBrowserWindow()
    {
        ShellWindow browser(Watcher::kBrowserFrameClass);
        EXPECT_EQ(Fire(Watcher::kWindowRegistered), S_OK);
        browser.Close();
        EXPECT_EQ(Fire(Watcher::kWindowRevoked), S_OK);
        return AnswerPosted(m_watcher) == std::make_pair(1, 1);
    }

    HostWindow m_host;
    Watcher m_watcher;
};

TEST_F(BrowserCloseWatcherTest, OnlyABrowserWindowsCloseCountsOnceForABurstAfterTheShellsCall)
{
    struct Case {
        const char* closing;
        bool destroyed; // or only hidden yet, on its way out
        int revokes;
        bool counts;
    };
    const Case cases[] = {
        {"CabinetWClass", true, 1, false},
        {Watcher::kBrowserFrameClass, true, 3, true},
        {Watcher::kBrowserFrameClass, false, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.closing << " destroyed " << c.destroyed);
        Watcher watcher;
        watcher.SetWindow(m_host);
        ShellWindow staying(Watcher::kBrowserFrameClass), closing(c.closing);
        for (LONG cookie : {1, 2})
            EXPECT_EQ(FireShellWindowsEvent(&watcher, Watcher::kWindowRegistered, cookie), S_OK);
        if (c.destroyed)
            closing.Close();
        else
            ::ShowWindow(closing, SW_HIDE);
        for (int i = 0; i < c.revokes; ++i)
            EXPECT_EQ(FireShellWindowsEvent(&watcher, Watcher::kWindowRevoked, 2), S_OK);
        EXPECT_EQ(AnswerPosted(watcher), std::make_pair(1, c.counts ? 1 : 0));
    }
}

TEST_F(BrowserCloseWatcherTest, EveryClosingBrowserWindowCountsAgain)
{
    for (int window = 0; window < 3; ++window)
        EXPECT_TRUE(CloseBrowserWindow()) << "window " << window;
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
    auto watcher = std::make_unique<CBrowserCloseWatcher>();
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
