// Whatever happens while one of the program's windows is open: each trigger, a second
// start, "/u", the end of the session (refused, or not), Explorer's restart, a browser
// window closing and WM_CLOSE, delivered as the platform delivers them (posted, or sent
// from another thread) into each nested loop the user can open. The main window runs
// modally as in the program; a script of steps runs inside whatever loop is current,
// through posted messages to a window of its own. One program per state and ending
// event: the events after which the program stays come one after another, the ending
// one last.
#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <resource.h>
#include <shellapi.h>

#include <cstring>
#include <functional>
#include <memory>

#include "dialogs/DialogTesting.h"
#include "engine/CookieKeepList.h"
#include "engine/ProgressLines.h"
#include "settings/SettingsStore.h"
#include "support/EngineUserState.h"
#include "support/GdiCount.h"
#include "support/OutsideCalls.h"
#include "support/ShellWindows.h"

namespace corvale {
namespace {

using namespace test;

enum class State { KeepListByClick, KeepListByAltC, About, NothingSelected, Run, TrayMenu, Hidden };
enum class Event { Interval, Daily, HotKey, SecondStart, Unload, SessionEnd, TaskbarCreated, Revoked, Refused, Close };
// Close last, so that each event before it shows whether it saved.
constexpr Event kStaying[] = {Event::Interval,       Event::Daily,   Event::HotKey,  Event::SecondStart,
                              Event::TaskbarCreated, Event::Revoked, Event::Refused, Event::Close};

constexpr DWORD kPage1 = 1 << Option::IeTempFilesOnClose;
constexpr int kAddressBarBox = 13, kOnCloseBox = 15, kInternetOptions = 5; // the Internet page's boxes
constexpr UINT kAdvance = WM_APP, kRevoke = WM_APP + 1, kRetryTimer = 1;

// The program's window, counting its runs (every run reports).
class CountingMainWindow : public CMainWindow {
public:
    CountingMainWindow() : CMainWindow(false) {}
    int started = 0, done = 0;
    void ReplaceProgressWindow(int autoClose, int showProgress) override
    {
        ++started;
        CMainWindow::ReplaceProgressWindow(autoClose, showProgress);
    }
    void AddProgressLine(const char* line) override
    {
        done += std::strcmp(line, kCleaningDoneLine) == 0;
        CMainWindow::AddProgressLine(line);
    }
};

struct Cell {
    State state;
    Event ending;
};

BOOL CALLBACK CheckControl(HWND hwnd, LPARAM orphans)
{
    *reinterpret_cast<int*>(orphans) += CWnd::FromHandle(hwnd) == nullptr;
    return TRUE;
}

// What the user saved before this start: every schedule option, cleaning when a browser
// window closes, and one kept cookie.
struct SavedChoices {
    SavedChoices()
    {
        DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKeyPath);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page1", kPage1);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page3", 0x7F);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Time", 720);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Interval", 10);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "HotKeyA", 0x20066);
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "ShowProgress", 1);
        WriteFileBytes(CookieKeepList().Path(), "kept\n");
    }
};

class ReentrancyMatrix : public ::testing::TestWithParam<Cell> {
protected:
    ReentrancyMatrix()
    {
        m_helper = ::CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowSubclass(m_helper, HelperProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    ~ReentrancyMatrix() override { ::DestroyWindow(m_helper); }

    static LRESULT CALLBACK HelperProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
    {
        auto* test = reinterpret_cast<ReentrancyMatrix*>(self);
        if (msg == kAdvance || (msg == WM_TIMER && wParam == kRetryTimer)) {
            ::KillTimer(hwnd, kRetryTimer);
            test->Advance();
            return 0;
        }
        if (msg == kRevoke) {
            ShellWindow browser(CBrowserCloseWatcher::kBrowserFrameClass);
            FireShellWindowsEvent(test->m_window.AutomationInterface(), CBrowserCloseWatcher::kWindowRegistered);
            browser.Close();
            FireShellWindowsEvent(test->m_window.AutomationInterface(), CBrowserCloseWatcher::kWindowRevoked);
            return 0;
        }
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }

    // Runs the step due; a step that is not ready yet is tried again when the queue is empty.
    void Advance()
    {
        if (m_step >= m_steps.size() || m_ended)
            return;
        if (!m_steps[m_step]()) {
            if (::GetTickCount() - m_stepStart > 10000) {
                ADD_FAILURE() << "step " << m_step << " never became ready";
                m_step = m_steps.size();
                m_ended = true;
                ::PostMessageA(Main(), WM_COMMAND, ID_EXIT, 0); // the program ends after what it is doing
                return;
            }
            ::SetTimer(m_helper, kRetryTimer, 10, nullptr);
            return;
        }
        ++m_step;
        m_stepStart = ::GetTickCount();
        ::PostMessageA(m_helper, kAdvance, 0, 0);
    }

    HWND Main() const { return m_window.GetSafeHwnd(); }
    State TheState() const { return GetParam().state; }
    bool ModalDialogState() const { return TheState() <= State::About; }
    int RunsInProgress() const { return m_window.started - m_window.done; }
    DWORD SavedPage1() const { return GetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, "Page1").value_or(0xDEAD); }
    HWND Box(int id) { return ::GetDlgItem(m_window.PagePicture(), id); }
    NOTIFYICONDATAA TrayIcon() const
    {
        NOTIFYICONDATAA icon{};
        icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
        icon.hWnd = Main();
        icon.uID = CTrayIcon::kId;
        return icon;
    }

    // The window of the state, while it is open.
    HWND StateWindow() const
    {
        for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
            char cls[16] = {};
            ::GetClassNameA(w, cls, sizeof cls);
            if (::GetWindowThreadProcessId(w, nullptr) != ::GetCurrentThreadId() || !::IsWindowVisible(w))
                continue;
            const bool found[] = {::GetDlgItem(w, IDC_KEEP_LIST) != nullptr,
                                  ::GetDlgItem(w, IDC_KEEP_LIST) != nullptr,
                                  ::GetDlgItem(w, IDC_ABOUT_HTML) != nullptr,
                                  !std::strcmp(cls, "#32770") && !CWnd::FromHandle(w),
                                  false,
                                  !std::strcmp(cls, "#32768"),
                                  false};
            if (found[static_cast<int>(TheState())])
                return w;
        }
        return nullptr;
    }
    bool InState() const
    {
        if (TheState() == State::Run)
            return RunsInProgress() == 1;
        if (TheState() == State::Hidden)
            return !::IsWindowVisible(Main()) && RunsInProgress() == 0;
        return StateWindow() && RunsInProgress() == 0;
    }

    bool StateClosed() const
    {
        const bool away = TheState() == State::Hidden ? ::IsWindowVisible(Main()) != FALSE
                                                      : TheState() == State::Run || !StateWindow();
        return away && RunsInProgress() == 0;
    }
    static bool Ends(Event e) { return e == Event::Unload || e == Event::SessionEnd; }
    static bool Saves(Event e) { return Ends(e) || e == Event::Refused || e == Event::Close; }
    int RunsAsked(Event e) const
    {
        return (e != Event::TaskbarCreated && e != Event::Revoked) +
               (TheState() == State::Run || TheState() == State::Hidden);
    }

    // Sent from another thread, as a second start and Windows send them; served by the
    // loop now running once it is pending.
    void Send(Event e)
    {
        std::vector<test::SentMessage> messages{{UM_INSTANCE_REQUEST, e == Event::Unload, 0}};
        if (e == Event::SessionEnd || e == Event::Refused)
            messages = {{WM_QUERYENDSESSION, 0, static_cast<LPARAM>(ENDSESSION_LOGOFF)},
                        {WM_ENDSESSION, e == Event::SessionEnd, static_cast<LPARAM>(ENDSESSION_LOGOFF)}};
        m_sender = std::make_unique<test::OutsideCalls>(Main(), std::move(messages));
        m_sender->WaitUntilPending();
    }

    void Deliver(Event event)
    {
        NOTIFYICONDATAA icon = TrayIcon();
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        switch (event) {
        case Event::Interval: ::PostMessageA(Main(), WM_TIMER, CScheduleTriggers::kIntervalTimer, 0); break;
        case Event::Daily:
            m_window.Settings().Time = now.wHour * 60 + now.wMinute; // the tick cleans only in its minute
            ::PostMessageA(Main(), WM_TIMER, CScheduleTriggers::kDailyTimer, 0);
            break;
        case Event::HotKey: ::PostMessageA(Main(), WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL, VK_NUMPAD6)); break;
        case Event::TaskbarCreated:
            ::Shell_NotifyIconA(NIM_DELETE, &icon); // Explorer restarted and lost every icon
            ::PostMessageA(Main(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            break;
        case Event::Revoked: ::PostMessageA(m_helper, kRevoke, 0, 0); break;
        case Event::Close: ::PostMessageA(Main(), WM_CLOSE, 0, 0); break;
        default: Send(event); break;
        }
    }

    void Open()
    {
        switch (TheState()) {
        case State::KeepListByClick:
            ::PostMessageA(m_window.GetDlgItem(ID_COOKIE_KEEP), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            ::PostMessageA(m_window.GetDlgItem(ID_COOKIE_KEEP), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            break;
        case State::KeepListByAltC: ::PostMessageA(Main(), WM_SYSKEYDOWN, 'C', 0x20000000); break;
        case State::About: ::PostMessageA(Main(), WM_COMMAND, ID_ABOUT, 0); break;
        case State::NothingSelected:
        case State::Run: ::PostMessageA(Main(), WM_COMMAND, ID_CLEAN_NOW, 0); break;
        case State::TrayMenu: ::PostMessageA(Main(), CTrayIcon::kCallbackMessage, 0, WM_RBUTTONDOWN); break;
        case State::Hidden: ::PostMessageA(Main(), WM_CLOSE, 0, 0); break;
        }
    }

    // The user's choice in the keep-list dialog, never saved: every kept name goes left.
    void ChooseInDialog()
    {
        if (ModalDialogState())
            ::PostMessageA(StateWindow(), WM_COMMAND, IDC_MOVE_ALL_LEFT, 0);
    }

    void Close()
    {
        switch (TheState()) {
        case State::NothingSelected: ::PostMessageA(StateWindow(), WM_COMMAND, IDOK, 0); break;
        case State::TrayMenu: ::EndMenu(); break;
        case State::Run: break;
        case State::Hidden: ::PostMessageA(Main(), WM_COMMAND, ID_OPEN, 0); break;
        default: ::PostMessageA(StateWindow(), WM_COMMAND, IDCANCEL, 0); break;
        }
    }

    void CheckPageControls()
    {
        int orphans = 0;
        ::EnumChildWindows(Main(), CheckControl, reinterpret_cast<LPARAM>(&orphans));
        EXPECT_EQ(orphans, 0) << "windows of the page no object holds";
        EXPECT_EQ(m_window.GetDlgItem(ID_COOKIE_KEEP) != nullptr, m_window.CurrentPage() == 0);
    }

    // Opens the state, delivers the event in it and closes the state.
    void AddPass(Event event, bool counted)
    {
        m_runsAsked += counted ? RunsAsked(event) : 0;
        m_steps.push_back([=] {
            // The daily tick must come in the minute it is set to: the state opens only
            // while the minute has long enough to go (a run of the Run state would not wait).
            SYSTEMTIME now{};
            if (!StateClosed() || (event == Event::Daily && (::GetLocalTime(&now), now.wSecond >= 58)))
                return false;
            m_trace = m_state.Root().File("Cache\\Content.IE5\\X1\\page[1].htm");
            Open();
            return true;
        });
        m_steps.push_back([=] {
            if (!InState())
                return false;
            ChooseInDialog();
            m_savedBefore = SavedPage1();
            Deliver(event);
            return true;
        });
        m_steps.push_back([=] {
            if (m_sender && !m_sender->Answered())
                return false;
            if (Ends(event))
                return m_ended = true;
            if (RunsInProgress() > (TheState() == State::Run))
                return false;
            // The sweep for a closed browser window follows the shell's call, in a message
            // of its own.
            if (event == Event::Revoked && TheState() != State::NothingSelected && PathExists(m_trace))
                return false;
            if (counted)
                CheckAfterEvent(event);
            Close();
            return true;
        });
    }

    void CheckAfterEvent(Event event)
    {
        if (ModalDialogState()) {
            EXPECT_FALSE(::IsWindowEnabled(Main())) << "enabled under its modal dialog";
            EXPECT_EQ(::SendMessageA(::GetDlgItem(StateWindow(), IDC_KEEP_LIST), LB_GETCOUNT, 0, 0), 0)
                << "the dialog lost the user's choice";
        }
        if (event == Event::SecondStart) {
            EXPECT_TRUE(::IsWindowVisible(Main())) << "a second start left the window hidden";
        }
        EXPECT_EQ(SavedPage1(), Saves(event) ? PageOneChosen() : m_savedBefore) << static_cast<int>(event);
        const bool tick = TheState() != State::NothingSelected;
        EXPECT_EQ(PathExists(m_trace), event != Event::Revoked || !tick) << static_cast<int>(event);
        NOTIFYICONDATAA icon = TrayIcon();
        EXPECT_TRUE(::Shell_NotifyIconA(NIM_MODIFY, &icon)) << "no icon in the notification area";
        EXPECT_EQ(LabelWindows(), kInternetOptions) << "labels of boxes let go of are still on the page";
    }

    // The option labels on the page, whoever holds them: each run rebuilds the page.
    int LabelWindows()
    {
        int labels = 0;
        for (HWND w = ::GetWindow(m_window.PagePicture(), GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT))
            labels += ::GetDlgCtrlID(w) == static_cast<int>(COptionCheckBox::kLabelId);
        return labels;
    }

    // What the user changed on the page and never saved: one tick more, or, for the
    // message box, the one tick there was taken away.
    DWORD PageOneChosen() const
    {
        return TheState() == State::NothingSelected ? 0 : kPage1 | 1 << Option::IeAddressBar;
    }

    void Play()
    {
        const bool tick = TheState() != State::NothingSelected;
        std::string keepList;
        m_steps.push_back([&] {
            if (m_window.done < 1 || RunsInProgress() != 0)
                return false; // the start-up run first
            ::SendMessageA(Box(kAddressBarBox), BM_SETCHECK, tick, 0);
            ::SendMessageA(Box(kOnCloseBox), BM_SETCHECK, tick, 0);
            keepList = ReadFileBytes(CookieKeepList().Path()).value_or("");
            return true;
        });
        // A first round of the events fills what a first opening caches; the second counts.
        // The daily tick comes in the second alone: the daily run cleans once in its minute.
        const bool staying = GetParam().ending == Event::Unload;
        for (Event event : kStaying) {
            if ((staying && event != Event::Daily) || event == Event::Interval)
                AddPass(event, false);
        }
        m_steps.push_back([&] {
            if (!StateClosed())
                return false;
            m_counts = test::Box(0, 0, CountGdiObjects(), CountThreadWindows());
            m_runsBefore = m_window.done;
            return true;
        });
        for (Event event : kStaying) {
            if (staying)
                AddPass(event, true);
        }
        m_steps.push_back([&] {
            if (!StateClosed())
                return false;
            EXPECT_EQ(test::Box(0, 0, CountGdiObjects(), CountThreadWindows()), m_counts) << "GDI objects, windows";
            EXPECT_TRUE(::IsWindowEnabled(Main()));
            CheckPageControls();
            return true;
        });
        AddPass(GetParam().ending, true);
        const int windowsBefore = CountThreadWindows();
        ::PostMessageA(m_helper, kAdvance, 0, 0);
        m_stepStart = ::GetTickCount();
        EXPECT_EQ(m_window.DoModal(), IDCANCEL);

        EXPECT_GE(m_step + 1, m_steps.size()) << "the program ended before its ending event, at step " << m_step;
        EXPECT_EQ(m_window.done - m_runsBefore, m_runsAsked) << "runs";
        EXPECT_EQ(m_window.started, m_window.done);
        EXPECT_EQ(ReadFileBytes(CookieKeepList().Path()).value_or(""), keepList) << "the keep-list was written";
        EXPECT_EQ(SavedPage1(), PageOneChosen()) << "the settings of the session were not saved";
        EXPECT_EQ(CountThreadWindows(), windowsBefore) << "windows left after the end";
    }

    ScopedKeyRestore m_settings{HKEY_CURRENT_USER, kSettingsKeyPath};
    ScratchUserState m_state;
    ScopedUrlCacheRestore m_cache;
    SavedChoices m_choices;
    CountingMainWindow m_window;
    HWND m_helper = nullptr;
    std::vector<std::function<bool()>> m_steps;
    size_t m_step = 0;
    DWORD m_stepStart = 0;
    bool m_ended = false;
    int m_runsBefore = 0, m_runsAsked = 0;
    DWORD m_savedBefore = 0;
    std::string m_counts, m_trace;
    std::unique_ptr<test::OutsideCalls> m_sender;
};

TEST_P(ReentrancyMatrix, TheProgramAnswersEveryEventAndEndsClean)
{
    Play();
}

const char* const kStateNames[] = {"KeepListByClick", "KeepListByAltC", "About", "NothingSelected", "Run",
                                   "TrayMenu",        "Hidden"};
std::vector<Cell> AllCells()
{
    std::vector<Cell> cells;
    for (int s = 0; s < 7; ++s)
        for (Event ending : {Event::Unload, Event::SessionEnd})
            cells.push_back({static_cast<State>(s), ending});
    return cells;
}

INSTANTIATE_TEST_SUITE_P(Cells, ReentrancyMatrix, ::testing::ValuesIn(AllCells()),
                         [](const ::testing::TestParamInfo<Cell>& info) {
                             return std::string(kStateNames[static_cast<int>(info.param.state)]) +
                                    (info.param.ending == Event::Unload ? "_EveryEventThenUnload" : "_SessionEnd");
                         });

} // namespace
} // namespace corvale
