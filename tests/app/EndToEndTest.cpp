// The built program used as a user would, from a second process: it is found by its
// window title and driven only by window messages, and judged by what a user would
// check: windows shown or hidden, the tray icon, the progress lines, the saved settings
// and the files a cleaning removed or kept.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <resource.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/Handle.h"
#include "settings/SettingsStore.h"
#include "support/EngineUserState.h"

namespace corvale {
namespace {

using namespace test;

constexpr UINT kInstanceRequest = WM_USER + 101;
constexpr UINT kTrayCallback = WM_USER + 1000;
constexpr DWORD kPatience = 20000;

bool WaitUntil(const std::function<bool()>& condition, DWORD ms = kPatience)
{
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > ms)
            return false;
        ::Sleep(20);
    }
    return true;
}

HWND FindCorvale()
{
    return ::FindWindowA(nullptr, "Corvale");
}

// Whether the tray icon exists: the shell lets another process modify only a live icon.
bool TrayIconShown(HWND owner)
{
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = owner;
    data.uID = ID_TRAY_ICON;
    data.uFlags = NIF_TIP;
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// One Corvale process; ended at the end of the test if it still runs.
class Corvale {
public:
    ~Corvale()
    {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_process.Get(), 1);
            ::WaitForSingleObject(m_process.Get(), 5000);
        }
    }

    bool Start(const std::string& arguments = std::string())
    {
        const char* program = std::getenv("CORVALE_EXE");
        if (!program)
            return false;
        std::string commandLine = std::string("\"") + program + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process))
            return false;
        m_process.Reset(process.hProcess);
        KernelHandle thread(process.hThread);
        return true;
    }

    // The main window once it has handled its start-up.
    HWND WaitForWindow()
    {
        if (!WaitUntil([&] { return (m_window = FindCorvale()) != nullptr && TrayIconShown(m_window); }))
            return nullptr;
        return Settle() ? m_window : nullptr;
    }

    // Returns once the window has handled every message posted to it so far: posted
    // messages are handled in order, and a page switch shows in the window's children.
    bool Settle() const
    {
        // Each switch is awaited before the next, so that neither passes unseen.
        ::PostMessageA(m_window, WM_COMMAND, ID_PAGE_SYSTEM, 0);
        if (!WaitUntil([&] { return ::GetDlgItem(m_window, ID_RECYCLE_BIN) != nullptr; }))
            return false;
        ::PostMessageA(m_window, WM_COMMAND, ID_PAGE_INTERNET, 0);
        return WaitUntil([&] { return ::GetDlgItem(m_window, ID_COOKIE_KEEP) != nullptr; });
    }

    bool Ended(DWORD ms = kPatience) const { return ::WaitForSingleObject(m_process.Get(), ms) == WAIT_OBJECT_0; }
    HWND Window() const { return m_window; }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(m_window, msg, wParam, lParam, SMTO_NORMAL, kPatience, &result);
        return static_cast<LRESULT>(result);
    }

private:
    KernelHandle m_process;
    HWND m_window = nullptr;
};

struct ProgressListSearch {
    HWND owner;
    HWND list;
};

BOOL CALLBACK FindProgressList(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<ProgressListSearch*>(data);
    HWND list = ::GetDlgItem(window, IDC_PROGRESS_LIST);
    if (::GetWindow(window, GW_OWNER) != search->owner || !list)
        return TRUE;
    search->list = list;
    return FALSE;
}

// The progress window's lines (LB_GETTEXT across processes works only in its wide form
// under Wine).
std::vector<std::string> ProgressLines(HWND mainWindow)
{
    ProgressListSearch search{mainWindow, nullptr};
    ::EnumWindows(FindProgressList, reinterpret_cast<LPARAM>(&search));
    std::vector<std::string> lines;
    if (!search.list)
        return lines;
    const int count = static_cast<int>(::SendMessageW(search.list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        ::SendMessageW(search.list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        char narrow[256] = {};
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        lines.push_back(narrow);
    }
    return lines;
}

class EndToEndTest : public ::testing::Test {
protected:
    EndToEndTest()
    {
        DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKeyPath);
        SetString(HKEY_CURRENT_USER, kUserShellFolders, "Cache", m_state.Cache());
        ::SetEnvironmentVariableA("CORVALE_NO_SPLASH_WAIT", "1");
    }
    ~EndToEndTest() override { ::SetEnvironmentVariableA("CORVALE_NO_SPLASH_WAIT", nullptr); }

    // Settings as a user would have left them: the page bits and the progress choice.
    static void Choose(DWORD page1, DWORD page3, DWORD showProgress)
    {
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page1", page1);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page3", page3);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "ShowProgress", showProgress);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Interval", 10);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Time", 720);
    }
    static DWORD Saved(const char* name)
    {
        return GetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, name).value_or(0xDEAD);
    }
    std::string Trace() const { return m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm"); }
    bool Cleaned(const std::string& trace) const
    {
        return WaitUntil([&] { return !PathExists(trace); }, 5000);
    }

    // WinINet in a new process writes "Shell Folders\\Cache" afresh from "User Shell
    // Folders", so the program's cache is redirected there too.
    static constexpr char kUserShellFolders[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

    ScopedKeyRestore m_settings{HKEY_CURRENT_USER, kSettingsKeyPath};
    ScopedValueRestore m_userCache{HKEY_CURRENT_USER, kUserShellFolders, "Cache"};
    ScratchUserState m_state;
    ScopedUrlCacheRestore m_cache;
    Corvale m_corvale;
};

constexpr DWORD kTempFiles = 1 << 0;  // "Page1": Internet Explorer Temp Files
constexpr DWORD kOnShutdown = 1 << 1; // "Page3" bits
constexpr DWORD kOnStart = 1 << 2;
constexpr DWORD kOnHotKey = 1 << 5;

TEST_F(EndToEndTest, AFreshStartShowsTheInternetPageAndClosingHidesToTheTrayWithTheDefaultsSaved)
{
    ASSERT_TRUE(m_corvale.Start());
    HWND window = m_corvale.WaitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window));
    RECT outer{};
    ::GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 468);
    EXPECT_EQ(outer.bottom - outer.top, 344);

    m_corvale.Send(WM_CLOSE);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_FALSE(m_corvale.Ended(200)) << "closing the window ended the program";
    EXPECT_TRUE(TrayIconShown(window));
    EXPECT_EQ(Saved("Interval"), 10u);
    EXPECT_EQ(Saved("Time"), 720u);
    EXPECT_EQ(Saved("HotKeyA"), 0x00020066u);
    EXPECT_EQ(Saved("ShowProgress"), 1u);
    EXPECT_EQ(Saved("CleaningAutoClose"), 0u);
    EXPECT_EQ(Saved("Page1") | Saved("Page2") | Saved("Page3"), 0u);

    // Escape closes to the tray the same way.
    m_corvale.Send(kInstanceRequest, 0);
    EXPECT_TRUE(::IsWindowVisible(window));
    ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5000));
    EXPECT_FALSE(m_corvale.Ended(200));
}

TEST_F(EndToEndTest, ASecondStartBringsTheFirstBackAndCleansWhenOnStartIsOn)
{
    Choose(kTempFiles, kOnStart, 0);
    std::string trace = Trace();
    ASSERT_TRUE(m_corvale.Start());
    ASSERT_NE(m_corvale.WaitForWindow(), nullptr);
    EXPECT_TRUE(Cleaned(trace)) << "no cleaning at start";

    m_corvale.Send(WM_CLOSE);
    ASSERT_FALSE(::IsWindowVisible(m_corvale.Window()));
    trace = Trace();
    Corvale second;
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(second.Ended()) << "the second start stayed";
    EXPECT_TRUE(::IsWindowVisible(m_corvale.Window()));
    // The cleaning follows the answer: the second start waits for no run.
    EXPECT_TRUE(Cleaned(trace)) << "the second start set off no cleaning";
}

// A first program played by this test: the instance name held by it (or by another
// object), and a window with the main window's title and mark that answers a later
// start's request as told, or none.
enum class First { Ended, NameTakenAnswers1, Answers0AndEnds, BusyThenAnswers1 };
constexpr char kInstanceName[] = "Local\\Corvale.Instance";
constexpr char kMainWindowMark[] = "Corvale.MainWindow";

struct StandInFirst {
    First first;
    KernelHandle name;
    HWND window = nullptr;
    int requests = 0;
};

LRESULT CALLBACK AnswerAsFirst(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* first = reinterpret_cast<StandInFirst*>(data);
    if (msg != kInstanceRequest)
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    ++first->requests;
    if (first->first != First::Answers0AndEnds)
        return 1;
    (void)::ReleaseMutex(first->name.Get()); // it ends: the start may take its place
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 0;
}

DWORD WINAPI HoldAndEnd(void* name)
{
    *static_cast<HANDLE*>(name) = ::CreateMutexA(nullptr, TRUE, kInstanceName);
    return 0; // ends holding it: the name is abandoned
}

// Serves the stand-in's window until the program ends or shows its own main window;
// true when it shows one.
bool TookItsPlace(Corvale& later)
{
    const DWORD start = ::GetTickCount();
    while (!later.Ended(0) && ::GetTickCount() - start < kPatience) {
        for (HWND w = nullptr; (w = ::FindWindowExA(nullptr, w, nullptr, "Corvale"));) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(w, &process);
            if (process != ::GetCurrentProcessId() && ::GetPropA(w, kMainWindowMark))
                return true;
        }
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(10);
    }
    return false;
}

TEST_F(EndToEndTest, ALaterStartHandsItsRequestToTheFirstOrTakesItsPlace)
{
    struct Case {
        First first;
        bool takesItsPlace;
        int requests;
    };
    const Case cases[] = {{First::Ended, true, 0},
                          {First::NameTakenAnswers1, false, 1},
                          {First::Answers0AndEnds, true, 1},
                          {First::BusyThenAnswers1, false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.first));
        StandInFirst first{c.first, KernelHandle(), nullptr, 0};
        if (c.first == First::Ended) {
            HANDLE held = nullptr;
            KernelHandle holder(::CreateThread(nullptr, 0, HoldAndEnd, &held, 0, nullptr));
            ::WaitForSingleObject(holder.Get(), 5000);
            first.name.Reset(held);
        } else {
            // Another kind of object under the name, or the name held by the first.
            first.name.Reset(c.first == First::NameTakenAnswers1 ? ::CreateEventA(nullptr, TRUE, FALSE, kInstanceName)
                                                                 : ::CreateMutexA(nullptr, TRUE, kInstanceName));
            first.window =
                ::CreateWindowExA(0, "Static", "Corvale", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
            ::SetWindowSubclass(first.window, AnswerAsFirst, 0, reinterpret_cast<DWORD_PTR>(&first));
            ::SetPropA(first.window, kMainWindowMark, first.window);
        }
        ASSERT_TRUE(first.name);
        // A first in one step of a run longer than 5 s has not asked for a message
        // meanwhile: to the system it looks hung while the later start asks.
        const DWORD busy = c.first == First::BusyThenAnswers1 ? 5500 : 0;
        ::Sleep(busy);
        Corvale later;
        ASSERT_TRUE(later.Start());
        ::Sleep(busy / 2);
        EXPECT_EQ(TookItsPlace(later), c.takesItsPlace);
        EXPECT_EQ(first.requests, c.requests);
        if (c.takesItsPlace) {
            Corvale unload;
            ASSERT_TRUE(unload.Start("/u"));
            EXPECT_TRUE(later.Ended()) << "the start that took the first's place did not end on \"/u\"";
        } else {
            EXPECT_TRUE(later.Ended());
        }
        if (::IsWindow(first.window)) {
            ::RemovePropA(first.window, kMainWindowMark);
            ::DestroyWindow(first.window);
        }
    }
}

TEST_F(EndToEndTest, TwoStartsAtOnceLeaveOneProgramWithOneIconAndTheWindowShown)
{
    ::SetEnvironmentVariableA("CORVALE_NO_SPLASH_WAIT", nullptr); // each in its splash when the other looks
    Corvale second;
    ASSERT_TRUE(m_corvale.Start("/h")); // the log-on start
    ASSERT_TRUE(second.Start());        // and the user's double click
    ASSERT_TRUE(WaitUntil([&] { return m_corvale.Ended(0) || second.Ended(0); })) << "two programs run";
    Corvale& first = m_corvale.Ended(0) ? second : m_corvale;
    HWND window = first.WaitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 5000));
    EXPECT_EQ(::FindWindowExA(nullptr, window, "#32770", "Corvale"), nullptr);
    EXPECT_EQ(::FindWindowExA(nullptr, nullptr, "#32770", "Corvale"), window);
    EXPECT_FALSE(first.Ended(200));
}

TEST_F(EndToEndTest, ASecondStartAndUnloadReachTheProgramWhileItsMessageBoxIsOpen)
{
    ASSERT_TRUE(m_corvale.Start());
    HWND window = m_corvale.WaitForWindow();
    ASSERT_NE(window, nullptr);
    ::PostMessageA(window, WM_COMMAND, ID_CLEAN_NOW, 0); // nothing ticked: the message box
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() != window; })) << "no message box in front";
    Corvale second;
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(second.Ended());
    EXPECT_EQ(::GetForegroundWindow(), window) << "the second start did not bring the window forward";
    Corvale unload;
    ASSERT_TRUE(unload.Start("/u"));
    EXPECT_TRUE(unload.Ended());
    EXPECT_TRUE(m_corvale.Ended()) << "\"/u\" did not end the program";
}

TEST_F(EndToEndTest, UnloadEndsTheRunningProgramWithItsSettingsSavedAndItsIconGone)
{
    ASSERT_TRUE(m_corvale.Start());
    HWND window = m_corvale.WaitForWindow();
    ASSERT_NE(window, nullptr);
    m_corvale.Send(WM_COMMAND, ID_SHOW_PROGRESS); // a choice made only in memory

    Corvale unload;
    ASSERT_TRUE(unload.Start("/u"));
    EXPECT_TRUE(unload.Ended());
    EXPECT_TRUE(m_corvale.Ended());
    EXPECT_EQ(Saved("ShowProgress"), 0u);
    EXPECT_FALSE(TrayIconShown(window));
}

TEST_F(EndToEndTest, StartingHiddenCleansFirstThenLeavesOnlyTheTrayIcon)
{
    Choose(kTempFiles, kOnStart, 0);
    const std::string trace = Trace();
    ASSERT_TRUE(m_corvale.Start("/h"));
    HWND window = m_corvale.WaitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(Cleaned(trace));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }));
    EXPECT_TRUE(TrayIconShown(window));
    m_corvale.Send(kTrayCallback, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(::IsWindowVisible(window)) << "a double click on the icon did not bring the window back";
}

TEST_F(EndToEndTest, SessionEndCleansBeforeItAnswersAccordingToLogOffOrShutdown)
{
    Choose(kTempFiles, kOnShutdown, 0);
    ASSERT_TRUE(m_corvale.Start());
    ASSERT_NE(m_corvale.WaitForWindow(), nullptr);

    std::string trace = Trace();
    EXPECT_EQ(m_corvale.Send(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_TRUE(PathExists(trace)) << "a log-off cleaned with only the shutdown option on";
    EXPECT_EQ(m_corvale.Send(WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_FALSE(PathExists(trace)) << "the shutdown query was answered before the cleaning";
    // The session-end query asks the next close to end the program.
    m_corvale.Send(WM_CLOSE);
    EXPECT_TRUE(m_corvale.Ended());
}

TEST_F(EndToEndTest, CleanNowListsTheRunInTheProgressWindowAndExitEndsTheProgram)
{
    Choose(kTempFiles, 0, 1);
    const std::string trace = Trace();
    const std::string kept = m_state.Root().File("Cookies\\A@B[1].txt");
    ASSERT_TRUE(m_corvale.Start());
    HWND window = m_corvale.WaitForWindow();
    ASSERT_NE(window, nullptr);

    m_corvale.Send(WM_COMMAND, ID_CLEAN_NOW);
    EXPECT_FALSE(PathExists(trace));
    EXPECT_TRUE(PathExists(kept));
    const std::string separator(97, '-');
    EXPECT_EQ(ProgressLines(window),
              (std::vector<std::string>{"Cleaning Started...", separator,
                                        "Cleaning Internet Explorer Temp Files..............................Done",
                                        separator, "Cleaning Done!"}));
    EXPECT_TRUE(::IsWindowEnabled(window));

    ::PostMessageA(window, WM_COMMAND, ID_EXIT, 0);
    EXPECT_TRUE(m_corvale.Ended());
    EXPECT_FALSE(TrayIconShown(window));
}

TEST_F(EndToEndTest, TheHotKeyCleansWhileTheWindowIsInTheTray)
{
    Choose(kTempFiles, kOnHotKey, 0);
    const std::string trace = Trace();
    ASSERT_TRUE(m_corvale.Start());
    ASSERT_NE(m_corvale.WaitForWindow(), nullptr);
    m_corvale.Send(WM_CLOSE);
    EXPECT_EQ(m_corvale.Send(WM_HOTKEY, 0xC000, MAKELPARAM(MOD_CONTROL, VK_NUMPAD6)), 1);
    EXPECT_FALSE(PathExists(trace)) << "the hot key did not clean";
}

} // namespace
} // namespace corvale
