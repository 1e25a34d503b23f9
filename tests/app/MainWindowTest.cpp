// The main window on the virtual display, driven by its messages: the hot regions at
// their edges with their cursors and actions, the commands, Clean Now on ticks not yet
// committed, and Escape closing to the tray.
#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <resource.h>
#include <version.h>

#include <exdisp.h>
#include <ocidl.h>
#include <olectl.h>
#include <wininet.h>

#include "dialogs/DialogTesting.h"
#include "settings/SettingsStore.h"
#include "support/EngineUserState.h"
#include "support/FreedMemory.h"
#include "support/OutsideCalls.h"
#include "support/ShellWindows.h"

namespace corvale {
namespace {

using namespace test;

// The program's window, counting its runs (each reports), noting the saved choices of
// the Internet page when a run first pumps, and doing what a test asks there.
class NotingMainWindow : public CMainWindow {
public:
    NotingMainWindow() : CMainWindow(false) {}
    std::optional<DWORD> savedWhenRunPumped;
    int runs = 0;
    std::function<void()> onFirstPump;
    void ReplaceProgressWindow(int autoClose, int showProgress) override
    {
        ++runs;
        CMainWindow::ReplaceProgressWindow(autoClose, showProgress);
    }
    void PumpPendingMessages() override
    {
        if (!savedWhenRunPumped) {
            savedWhenRunPumped = GetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page1").value_or(0xDEAD);
            if (onFirstPump)
                onFirstPump();
        }
        CMainWindow::PumpPendingMessages();
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKeyPath);
        m_window = std::make_unique<NotingMainWindow>();
        m_window->Create(nullptr);
        PumpFor(50); // the start-up message
    }
    HWND Window() const { return m_window->GetSafeHwnd(); }
    HWND Box(int id) const { return ::GetDlgItem(m_window->PagePicture(), id); }

    ScopedKeyRestore m_settings{HKEY_CURRENT_USER, kSettingsKeyPath};
    ScratchUserState m_state;
    ScopedUrlCacheRestore m_cache;
    std::unique_ptr<NotingMainWindow> m_window;
};

TEST_F(MainWindowTest, StartsAsTheSkinnedInternetPageTitledForTheSecondStart)
{
    char title[32] = {};
    ::GetWindowTextA(Window(), title, sizeof title);
    EXPECT_STREQ(title, "Corvale");
    EXPECT_EQ(BoxInParent(Window()), test::Box(0, 0, 468, 344));
    EXPECT_EQ(m_window->CurrentPage(), 0);
    EXPECT_EQ(::GetFocus(), Box(11)) << "the first option has no focus";
}

TEST_F(MainWindowTest, ReleasesActOnTheRegionTheyFallInAndTheCursorSaysSo)
{
    struct Case {
        int page;
        int x, y;
        const char* cursor;
        int pageAfter;
        Names pages;
    };
    const Case cases[] = {
        {2, 213, 100, IDC_HAND, 0, {}},
        {2, 214, 100, IDC_ARROW, 2, {}},
        {0, 213, 100, IDC_ARROW, 0, {}}, // the tab of the page on show
        {0, 250, 100, IDC_HAND, 1, {}},
        {1, 400, 100, IDC_HAND, 2, {}},
        {0, 150, 89, IDC_ARROW, 0, {}},
        {0, 150, 109, IDC_ARROW, 0, {}},
        {0, 313, 320, IDC_HAND, 0, {CORVALE_HOME_URL}},
        {0, 300, 320, IDC_HAND, 0, {}}, // the footer's hand reaches further than its click
        {0, 100, 300, IDC_HAND, 0, {CORVALE_HOME_URL}},
        {0, 20, 20, IDC_HAND, 0, {CORVALE_PRODUCT_URL}},
    };
    for (const Case& c : cases) {
        m_window->ShowPage(c.page);
        const PressResult result = PressAndRelease(Window(), c.x, c.y, c.cursor);
        EXPECT_TRUE(result.cursorShown) << c.x << "," << c.y;
        EXPECT_EQ(m_window->CurrentPage(), c.pageAfter) << c.x << "," << c.y;
        EXPECT_EQ(result.pages, c.pages) << c.x << "," << c.y;
    }
}

TEST_F(MainWindowTest, TheCloseButtonReachesTenPixelsAndTheStripAroundItDrags)
{
    const PressResult drag = PressAndRelease(Window(), 456, 22, IDC_SIZEALL);
    EXPECT_TRUE(drag.cursorShown);
    EXPECT_EQ(drag.shift, test::Box(0, 0, 10, 7)) << "(456, 22) is outside the close button";
    EXPECT_TRUE(::IsWindowVisible(Window()));

    const PressResult close = PressAndRelease(Window(), 456, 21, IDC_HAND);
    EXPECT_EQ(close.shift, test::Box(0, 0, 0, 0));
    PumpFor(50);
    EXPECT_FALSE(::IsWindowVisible(Window())) << "the close button did not hide the window";
    EXPECT_FALSE(m_window->ExitRequested());
    EXPECT_EQ(GetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "ShowProgress"), 1u) << "closing saved nothing";
}

// In the tray the window holds no decoded skin; it shows the same page when it returns,
// also when it was closed from the taskbar while minimised (a hidden window restored from
// its minimised state hears no WM_SHOWWINDOW).
TEST_F(MainWindowTest, InTheTrayTheSkinIsLetGoAndTheWindowReturnsWithItsPage)
{
    const Pixels page = Pixels::OfWindow(Window());
    const int objects = CountGdiObjects();
    ::SendMessageA(Window(), WM_COMMAND, ID_SHOW_PROGRESS, 0); // runs in the tray report nothing
    for (bool minimised : {false, true}) {
        if (minimised)
            ::ShowWindow(Window(), SW_MINIMIZE);
        ::SendMessageA(Window(), WM_CLOSE, 0, 0);
        ::SendMessageA(Window(), WM_HOTKEY, 1, 0); // its run builds the page again
        EXPECT_LE(CountGdiObjects(), objects - 2) << "the skin's surface stayed, or came back for a page not on show";
        ::SendMessageA(Window(), WM_COMMAND, ID_OPEN, 0);
        EXPECT_EQ(CountGdiObjects(), objects) << minimised;
        EXPECT_TRUE(Pixels::OfWindow(Window()) == page) << "the page came back otherwise " << minimised;
    }
}

TEST_F(MainWindowTest, EscapeClosesToTheTrayAndEnterDoesNotEndTheWindow)
{
    ::SetFocus(Box(11));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG msg{Box(11), WM_KEYDOWN, key, 0, 0, {}};
        m_window->PreTranslateMessage(&msg);
        PumpFor(50);
        EXPECT_TRUE(::IsWindow(Window()));
        EXPECT_EQ(::IsWindowVisible(Window()) != FALSE, key == VK_RETURN) << key;
    }
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsKeyPath)) << "Escape closed without saving";
}

TEST_F(MainWindowTest, CommandsFlipTheProgressChoicesAndExitEndsWithEverythingReleased)
{
    ::SendMessageA(Window(), WM_COMMAND, ID_SHOW_PROGRESS, 0);
    ::SendMessageA(Window(), WM_COMMAND, ID_AUTO_CLOSE, 0);
    EXPECT_EQ(m_window->Options().ShowProgress, 0);
    EXPECT_EQ(m_window->Options().CleaningAutoClose, 1);
    ::SendMessageA(Window(), WM_COMMAND, ID_PAGE_GENERAL, 0);
    EXPECT_EQ(m_window->CurrentPage(), 2);
    ::SendMessageA(Window(), WM_COMMAND, ID_CHECK_ALL, 0);
    ::SendMessageA(Window(), WM_COMMAND, ID_EXIT, 0);
    PumpFor(50);
    EXPECT_TRUE(m_window->ExitRequested());
    EXPECT_EQ(m_window->CurrentPage(), -1);
    EXPECT_EQ(GetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page3"), 0x7Fu);
    EXPECT_EQ(GetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "CleaningAutoClose"), 1u);
    // Explorer restarting while the program ends (a run still pumping) brings no icon back.
    ::SendMessageA(Window(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = Window();
    icon.uID = CTrayIcon::kId;
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &icon)) << "an icon the ended program leaves behind";
}

TEST_F(MainWindowTest, CleanNowCleansWhatIsTickedEvenBeforeThePageIsCommitted)
{
    const std::string trace = m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm");
    ::SendMessageA(Box(11), BM_SETCHECK, BST_CHECKED, 0);
    PressAndRelease(Window(), 400, 65, IDC_HAND);
    EXPECT_EQ(m_window->Options().OptionFlags[Option::IeTempFiles], 1);
    EXPECT_FALSE(PathExists(trace));
    ASSERT_NE(m_window->ProgressWindow(), nullptr);
    EXPECT_EQ(ListItems(::GetDlgItem(*m_window->ProgressWindow(), IDC_PROGRESS_LIST)).size(), 5u);
    EXPECT_TRUE(::IsWindowEnabled(Window()));
}

TEST_F(MainWindowTest, TheSessionsEndSavesBeforeItsRunAndAnUpdatesCloseRequestCleansNothing)
{
    std::string trace = m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm");
    m_window->Settings().OptionFlags[Option::OnShutdown] = 1;
    ::SendMessageA(Box(11), BM_SETCHECK, BST_CHECKED, 0); // ticked, not yet committed
    EXPECT_EQ(::SendMessageA(Window(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(m_window->savedWhenRunPumped, 1u) << "the run began before the choices were saved";
    EXPECT_FALSE(PathExists(trace));
    EXPECT_EQ(::SendMessageA(Window(), UM_INSTANCE_REQUEST, 0, 0), 0) << "a start while it ends would be lost";

    // Another program refused: the session goes on, and the close button hides again.
    ::SendMessageA(Window(), WM_ENDSESSION, FALSE, 0);
    PressAndRelease(Window(), 456, 21, IDC_HAND);
    PumpFor(50);
    EXPECT_FALSE(m_window->ExitRequested());
    EXPECT_EQ(m_window->CurrentPage(), 0) << "closing after a refused session end ended the program";

    trace = m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm");
    EXPECT_EQ(::SendMessageA(Window(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_TRUE(PathExists(trace)) << "an installer asking programs to close set off the shutdown cleaning";
    // Another program refused the installer, which sends no WM_ENDSESSION then: the
    // program goes on as before the question.
    EXPECT_EQ(::SendMessageA(Window(), UM_INSTANCE_REQUEST, 0, 0), 1) << "a later start is refused for good";
    PressAndRelease(Window(), 456, 21, IDC_HAND);
    PumpFor(50);
    EXPECT_EQ(m_window->CurrentPage(), 0) << "closing after an installer's question ended the program";
}

TEST_F(MainWindowTest, ASecondStartIsAnsweredWhileTheStartUpRunGoesAndItsOwnRunFollowsTheAnswer)
{
    m_window.reset();
    SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page3", 1 << (Option::OnStart - Option::OnLogoff));
    SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "ShowProgress", 1); // each run reports
    m_window = std::make_unique<NotingMainWindow>();
    DWORD_PTR answer = 0;
    int runsAtTheAnswer = -1;
    m_window->onFirstPump = [&] {
        answer = SendFromOutside(Window(), UM_INSTANCE_REQUEST, 0, 0);
        runsAtTheAnswer = m_window->runs;
    };
    m_window->Create(nullptr);
    PumpFor(100);
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(runsAtTheAnswer, 1) << "the second start's run went inside its call";
    EXPECT_EQ(m_window->runs, 2) << "the second start's run never came";
}

// The daily timer ticks twice in its minute when one tick is held back across the
// minute's start: the daily cleaning runs once.
TEST_F(MainWindowTest, TwoTicksOfTheDailyTimerInItsMinuteCleanOnce)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    if (now.wSecond >= 58) { // both ticks within this minute
        ::Sleep(2500);
        ::GetLocalTime(&now);
    }
    const CleaningOptions before = m_window->Settings();
    m_window->Settings().OptionFlags[Option::DailyAt] = 1;
    m_window->Settings().Time = now.wHour * 60 + now.wMinute;
    m_window->ScheduleCommitted(before);
    for (int tick = 0; tick < 2; ++tick)
        ::SendMessageA(Window(), WM_TIMER, CScheduleTriggers::kDailyTimer, 0);
    EXPECT_EQ(m_window->runs, 1);
}

// The user's end and the session's, in either order around the closing run: a refused
// end changes nothing, and what the user asked for stands.
TEST_F(MainWindowTest, TheUsersEndAndTheSessionsEndStayApartInEitherOrder)
{
    struct Case {
        bool exit;         // Exit, or the close button to the tray
        bool refusedLater; // the refusal after the closing run, or within it
        bool ends;
    };
    const Case cases[] = {{true, false, true}, {false, true, false}, {false, false, false}};
    for (const Case& c : cases) {
        m_window = std::make_unique<NotingMainWindow>();
        m_window->Create(nullptr);
        PumpFor(50);
        m_window->Settings().OptionFlags[Option::OnClose] = 1; // a closing run, which pumps
        if (c.exit)
            ::SendMessageA(Window(), WM_COMMAND, ID_EXIT, 0); // posts the close
        else
            ::PostMessageA(Window(), WM_CLOSE, 0, 0);
        // The session's end is asked about while the closing run goes.
        ::PostMessageA(Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        if (!c.refusedLater)
            ::PostMessageA(Window(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        PumpFor(100);
        if (c.refusedLater)
            ::SendMessageA(Window(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        PumpFor(50);
        EXPECT_EQ(m_window->CurrentPage() == -1, c.ends) << c.exit << c.refusedLater;
    }
}

TEST_F(MainWindowTest, ARunWhileTheProgressListIsScrolledReplacesTheWindowOnceTheDragHasEnded)
{
    const FreedMemoryPoison poison;            // an object freed under the list's dispatch fails at once
    ::SendMessageA(Window(), WM_HOTKEY, 1, 0); // a first run fills what a first one caches
    HWND list = ::GetDlgItem(*m_window->ProgressWindow(), IDC_PROGRESS_LIST);
    for (int i = 0; i < 20; ++i)
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("line"));
    const std::string objects = test::Box(0, 0, CountGdiObjects(), CountThreadWindows());
    RECT bar{};
    ::GetWindowRect(list, &bar);
    // The hot key comes while the user drags the scroll thumb; the release ends a drag
    // that outlives it.
    ::PostMessageA(Window(), WM_HOTKEY, 1, 0);
    ::PostMessageA(list, WM_LBUTTONUP, 0, 0);
    ::SendMessageA(list, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(bar.right - 8, bar.top + 24));
    EXPECT_FALSE(::IsWindow(list)) << "no run replaced the window during the drag";
    EXPECT_EQ(test::Box(0, 0, CountGdiObjects(), CountThreadWindows()), objects);
}

bool InSingleThreadedApartment()
{
    const HRESULT joined = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED); // fails in one
    if (SUCCEEDED(joined))
        ::CoUninitialize();
    return joined == RPC_E_CHANGED_MODE;
}

// The shell's window collection as far as the watcher uses it, registered in this
// thread's apartment while it lives in place of Wine's, which offers no connection point:
// it counts the collections made and keeps the subscriptions' cookies. The window goes
// before it does.
class StandInShellWindows : public IClassFactory, public IConnectionPointContainer, public IConnectionPoint {
public:
    int made = 0;
    int refusals = 0;      // subscriptions to refuse first, as a new Explorer's that is not ready
    HANDLE hung = nullptr; // an Unadvise waits for it, as in a hung Explorer
    std::vector<DWORD> advised, unadvised;

    StandInShellWindows()
    {
        EXPECT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); // the program's apartment
        EXPECT_EQ(::CoRegisterClassObject(CLSID_ShellWindows, static_cast<IClassFactory*>(this), CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &m_registration),
                  S_OK);
    }
    ~StandInShellWindows()
    {
        ::CoRevokeClassObject(m_registration);
        ::CoUninitialize();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (iid == IID_IConnectionPointContainer)
            *object = static_cast<IConnectionPointContainer*>(this);
        else if (iid == IID_IConnectionPoint)
            *object = static_cast<IConnectionPoint*>(this);
        else if (iid == IID_IUnknown || iid == IID_IClassFactory)
            *object = static_cast<IClassFactory*>(this);
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** object) override
    {
        ++made;
        return QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint** point) override
    {
        *point = this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown*, DWORD* cookie) override
    {
        // COM refuses such a call out of a call sent by another process.
        EXPECT_FALSE(::InSendMessage()) << "subscribed inside a call sent by another program";
        if (refusals > 0) {
            --refusals;
            return CONNECT_E_CANNOTCONNECT;
        }
        advised.push_back(*cookie = 100 + static_cast<DWORD>(advised.size()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        if (hung)
            ::WaitForSingleObject(hung, INFINITE);
        unadvised.push_back(cookie);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    DWORD m_registration = 0;
};

using Cookies = std::vector<DWORD>;

// Watching browser windows is a call into the shell's process: not before the option for
// it is on, and then at once. The program's thread has its apartment for life; the
// watcher leaves the reference it took on it when it goes.
TEST_F(MainWindowTest, TheBrowserWindowWatcherAsksTheShellOnlyWithItsOptionAndLeavesNoApartmentBehind)
{
    {
        StandInShellWindows collection;
        m_window->ShowPage(0);
        EXPECT_EQ(collection.made, 0) << "the shell asked before the option was on";
        ::SendMessageA(Box(15), BM_SETCHECK, BST_CHECKED, 0); // "Clean Internet Temp Files when IE closes"
        m_window->ShowPage(1);
        EXPECT_EQ(collection.advised, Cookies{100});
        m_window.reset();
    }
    EXPECT_FALSE(InSingleThreadedApartment()) << "the watcher kept the apartment it entered";
}

// A new Explorer that is not ready for a subscription when it announces its taskbar is
// asked again, on a timer.
TEST_F(MainWindowTest, TheWatcherSubscribesAgainWhenExplorerRestartsAndEndsItsSubscriptionWhenItGoes)
{
    StandInShellWindows collection;
    ::SendMessageA(Box(15), BM_SETCHECK, BST_CHECKED, 0);
    m_window->ShowPage(1);
    EXPECT_EQ(collection.advised, Cookies{100});
    collection.refusals = 1;
    ::SendMessageA(Window(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(collection.unadvised, Cookies{100});
    PumpFor(2500);
    EXPECT_EQ(collection.advised, (Cookies{100, 101})) << "no second try";
    m_window.reset();
    EXPECT_EQ(collection.unadvised, (Cookies{100, 101}));
}

// Two calls from another program that commit the page with the option on: a refused
// session end (the query's own commit skipped the watcher, the program being on its way
// out), and a close whose closing run pumps inside the call.
TEST_F(MainWindowTest, TheWatcherSubscribesAfterACallFromAnotherProgramNotInsideIt)
{
    for (bool refusedEnd : {true, false}) {
        m_window.reset();
        DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKeyPath); // the first row saved the option on
        m_window = std::make_unique<NotingMainWindow>();
        m_window->Create(nullptr);
        PumpFor(50);
        StandInShellWindows collection;
        ::SendMessageA(Box(15), BM_SETCHECK, BST_CHECKED, 0);
        if (refusedEnd) {
            EXPECT_EQ(SendFromOutside(Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF),
                      static_cast<DWORD_PTR>(TRUE));
            EXPECT_EQ(collection.made, 0) << "a program on its way out began to watch";
            SendFromOutside(Window(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        } else {
            m_window->Settings().OptionFlags[Option::OnClose] = 1;
            SendFromOutside(Window(), WM_CLOSE, 0, 0);
        }
        PumpFor(50);
        EXPECT_EQ(collection.advised, Cookies{100}) << refusedEnd;
        m_window.reset(); // its subscription ends while the collection is there
    }
}

// The collection in an apartment of its own, as Explorer's in its process: the program
// reaches it through COM's channel.
struct ShellElsewhere {
    StandInShellWindows* collection = nullptr;
    IStream* factory = nullptr;
    KernelHandle ready{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI ServeShellElsewhere(void* param)
{
    auto* shell = static_cast<ShellElsewhere*>(param);
    StandInShellWindows collection;
    shell->collection = &collection;
    (void)::CoMarshalInterThreadInterfaceInStream(IID_IClassFactory, static_cast<IClassFactory*>(&collection),
                                                  &shell->factory); // the test fails on a null stream
    ::SetEvent(shell->ready.Get());
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}

DWORD WINAPI LetGoLater(void* event)
{
    ::Sleep(20000);
    ::SetEvent(event);
    return 0;
}

TEST_F(MainWindowTest, AHungExplorerHoldsTheEndOfTheWatchersSubscriptionOnlyForAWhile)
{
    ShellElsewhere shell;
    DWORD serving = 0;
    KernelHandle thread(::CreateThread(nullptr, 0, ServeShellElsewhere, &shell, 0, &serving));
    ASSERT_EQ(::WaitForSingleObject(shell.ready.Get(), 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    IClassFactory* factory = nullptr;
    ASSERT_EQ(::CoGetInterfaceAndReleaseStream(shell.factory, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    DWORD registration = 0;
    ASSERT_EQ(
        ::CoRegisterClassObject(CLSID_ShellWindows, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration),
        S_OK);
    ::SendMessageA(Box(15), BM_SETCHECK, BST_CHECKED, 0);
    m_window->ShowPage(1);
    EXPECT_EQ(shell.collection->advised, Cookies{100});
    KernelHandle hung(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    shell.collection->hung = hung.Get();
    KernelHandle patience(::CreateThread(nullptr, 0, LetGoLater, hung.Get(), 0, nullptr));
    m_window.reset();
    const bool stillHung = ::WaitForSingleObject(hung.Get(), 0) == WAIT_TIMEOUT;
    ::SetEvent(hung.Get());
    EXPECT_TRUE(stillHung) << "the program's end waited for the hung Explorer";
    ::CoRevokeClassObject(registration);
    factory->Release();
    ::PostThreadMessageA(serving, WM_QUIT, 0, 0);
    ::WaitForSingleObject(thread.Get(), 10000);
    ::CoUninitialize();
}

// Silent: no progress window, no line; the option is read at each close.
TEST_F(MainWindowTest, AClosingBrowserWindowCleansTheCacheButNotCookiesOnlyWhenTheOptionIsOn)
{
    const std::string page = m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm");
    m_state.Root().File("Cookies\\A@B[1].txt");
    ASSERT_TRUE(AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry("Cookie:A@B.C/", COOKIE_CACHE_ENTRY));
    for (int option : {0, 1}) {
        m_window->Settings().OptionFlags[Option::IeTempFilesOnClose] = option;
        ShellWindow browser(CBrowserCloseWatcher::kBrowserFrameClass);
        FireShellWindowsEvent(m_window->AutomationInterface(), CBrowserCloseWatcher::kWindowRegistered);
        browser.Close();
        FireShellWindowsEvent(m_window->AutomationInterface(), CBrowserCloseWatcher::kWindowRevoked);
        EXPECT_TRUE(PathExists(page)) << "cleaned inside the shell's call";
        PumpFor(50);
        EXPECT_EQ(PathExists(page), option == 0) << option;
    }
    EXPECT_EQ(ListTree(m_state.Cache()), Names{});
    EXPECT_EQ(CacheUrls(false), Names{});
    EXPECT_EQ(CacheUrls(true), Names{"Cookie:A@B.C/"});
    EXPECT_TRUE(m_state.Root().Exists("Cookies\\A@B[1].txt"));
    EXPECT_EQ(m_window->ProgressWindow(), nullptr);
}

HWND g_keepListDialog = nullptr;

BOOL CALLBACK CloseIfKeepListDialog(HWND window, LPARAM)
{
    if (!::GetDlgItem(window, IDC_KEEP_LIST))
        return TRUE;
    g_keepListDialog = window;
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    return FALSE;
}

// Closes the keep-list dialog once it shows, remembering that it did.
void CALLBACK CloseKeepListDialog(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), CloseIfKeepListDialog, 0);
}

RECT g_menuRect{};

BOOL CALLBACK NoteAndEndMenu(HWND window, LPARAM)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32768" || !::IsWindowVisible(window))
        return TRUE;
    ::GetWindowRect(window, &g_menuRect);
    ::EndMenu();
    return FALSE;
}

// Notes where the open menu is, then closes it.
void CALLBACK NoteMenuPlace(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), NoteAndEndMenu, 0);
}

// The menu key and Shift+F10 send WM_CONTEXTMENU without a point (-1, -1): the menu
// opens at the option with the focus, not in the corner of the screen.
TEST_F(MainWindowTest, TheContextMenuFromTheKeyboardOpensAtTheFocusedOption)
{
    ::SetWindowPos(Window(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SetFocus(Box(12));
    RECT option{};
    ::GetWindowRect(Box(12), &option);
    g_menuRect = {};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, NoteMenuPlace);
    ::SendMessageA(Box(12), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Box(12)), -1);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(test::Box(g_menuRect.left, g_menuRect.top, 0, 0), test::Box(option.left, option.bottom, 0, 0));
}

TEST_F(MainWindowTest, AltCOpensTheKeepListDialogAndTheWindowHasItsIconToDrag)
{
    g_keepListDialog = nullptr;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseKeepListDialog);
    MSG msg{Box(11), WM_SYSKEYDOWN, 'C', 0x20000000, 0, {}};
    EXPECT_TRUE(m_window->PreTranslateMessage(&msg));
    ::KillTimer(nullptr, timer);
    EXPECT_NE(g_keepListDialog, nullptr) << "Alt+C opened no keep-list dialog";
    EXPECT_EQ(::SendMessageA(Window(), WM_QUERYDRAGICON, 0, 0),
              reinterpret_cast<LRESULT>(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))));
}

} // namespace
} // namespace corvale
