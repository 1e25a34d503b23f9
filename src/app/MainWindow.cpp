#include "app/MainWindow.h"

#include "app/MainWindowRegions.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/CookieKeepDialog.h"
#include "engine/TaskCatalogue.h"
#include "platform/Gdi.h"
#include "platform/MessagePump.h"
#include "settings/SettingsStore.h"

#include <resource.h>
#include <version.h>

#include <shellapi.h>
#include <windowsx.h>

namespace corvale {
namespace {

constexpr char kRecycleBinFolder[] = "::{645FF040-5081-101B-9F08-00AA002F954E}";

struct ToolTip {
    UINT id;
    RECT rect;
    const char* text;
};
constexpr ToolTip kToolTips[] = {
    {1, {386, 11, 406, 31}, "Help"},
    {2, {411, 11, 431, 31}, "Minimize Corvale Window"},
    {3, {436, 11, 456, 31}, "Close Corvale Window"},
};

const char* SystemCursor(CursorShape shape)
{
    switch (shape) {
    case CursorShape::Hand: return IDC_HAND;
    case CursorShape::SizeAll: return IDC_SIZEALL;
    default: return IDC_ARROW;
    }
}

bool IsMouseMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_NCMOUSEMOVE;
}

bool ShiftDown()
{
    return (::GetKeyState(VK_LSHIFT) & 0x8000) || (::GetKeyState(VK_RSHIFT) & 0x8000);
}

// Looked up at run time: older systems and Wine lack the calls that tell Windows why a
// program holds up the end of the session.
template <typename Function> Function User32Function(const char* name)
{
    FARPROC function = ::GetProcAddress(::GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(function));
}
const auto g_blockReasonCreate = User32Function<BOOL(WINAPI*)(HWND, LPCWSTR)>("ShutdownBlockReasonCreate");
const auto g_blockReasonDestroy = User32Function<BOOL(WINAPI*)(HWND)>("ShutdownBlockReasonDestroy");
// Likewise the call that lets a message from a process of a lower level through to a
// program that runs elevated (Windows 7 on).
const auto g_allowMessage = User32Function<BOOL(WINAPI*)(HWND, UINT, DWORD, void*)>("ChangeWindowMessageFilterEx");
constexpr DWORD kAllowMessage = 1; // MSGFLT_ALLOW
constexpr wchar_t kSessionEndReason[] = L"Corvale is cleaning before Windows ends the session.";

} // namespace

CMainWindow::CMainWindow(bool startHidden)
    : CSkinnedDialog(IDD_MAIN, nullptr, IDC_PICTURE, kTitleStripHeight), m_startHidden(startHidden),
      m_icon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP))), m_pages(*this),
      m_taskbarCreated(::RegisterWindowMessageA("TaskbarCreated"))
{
    // The record's own initialisers are the defaults: 10 minutes, 12:00, Ctrl + numeric
    // keypad 6, progress shown and left open.
    LoadSettings(m_options);
    m_controlFont.Reset(::CreateFontA(14, 0, 0, 0, 500, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Ms Sans-Serif"));
}

CMainWindow::~CMainWindow()
{
    m_progress.reset();
    // A window that ended without the final close (its process is being torn down)
    // still lets go of what the system holds for it.
    if (IsAttached())
        FinalClose();
}

BOOL CMainWindow::OnInitDialog()
{
    ::SetWindowTextA(m_hWnd, kMainWindowTitle);
    m_schedule.SetWindow(m_hWnd);
    m_watcher.SetWindow(m_hWnd);
    m_tray.Add(m_hWnd);
    if (m_toolTip.Create(m_hWnd)) {
        for (const ToolTip& tip : kToolTips)
            m_toolTip.AddTool(m_hWnd, tip.id, tip.rect, tip.text);
        m_toolTip.Activate(true);
    }
    CSkinnedDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    ShowPage(0);
    const RECT window = GetWindowRect();
    const RECT picture = Picture().GetClientRect();
    MoveWindow(window.left, window.top, picture.right, picture.bottom);
    PostMessage(UM_AFTER_INIT);
    // The visible template shows the window when this returns; a start into the tray
    // hides it again once the start-up triggers have run.
    ShowWindow(SW_HIDE);
    // Run elevated, the program would hear neither a later start, nor the restarted
    // Explorer, nor a click on its icon, all at the user's level: exactly these three
    // messages pass.
    for (UINT message : {UM_INSTANCE_REQUEST, m_taskbarCreated, CTrayIcon::kCallbackMessage}) {
        if (g_allowMessage && message != 0)
            (void)g_allowMessage(m_hWnd, message, kAllowMessage, nullptr); // not elevated: nothing to let through
    }
    // Last: from now on a later start hands its request here.
    ::SetPropA(m_hWnd, kMainWindowMark, m_hWnd);
    return TRUE;
}

bool CMainWindow::PreTranslateMessage(MSG* msg)
{
    // Only the mouse matters to a tooltip: relaying the timers' ticks too would make each
    // idle tick a call into the tooltip.
    if (m_toolTip.IsAttached() && IsMouseMessage(msg->message))
        m_toolTip.RelayEvent(msg);
    // Alt+C opens the keep-list dialog, as the page's push button does.
    if (msg->message == WM_SYSKEYDOWN && msg->wParam == 'C' && ::GetAncestor(msg->hwnd, GA_ROOT) == m_hWnd) {
        SendMessage(WM_COMMAND, ID_COOKIE_KEEP);
        return true;
    }
    return CSkinnedDialog::PreTranslateMessage(msg);
}

LRESULT CMainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_taskbarCreated && m_taskbarCreated != 0) {
        // Explorer restarted and lost every icon and its window collection: our icon
        // comes back and the watcher subscribes to the new collection. A program whose
        // end removed them (a run still pumps until it returns) leaves them gone.
        if (m_finalCloseDone)
            return 0;
        m_tray.Add(m_hWnd);
        m_watcher.RenewSubscription();
        return 0;
    }
    switch (msg) {
    case WM_PAINT:
        if (OnPaintIconic())
            return 0;
        return CSkinnedDialog::OnMessage(msg, wParam, lParam);
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(m_icon);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == 0x0010) {
            CAboutDialog about(m_hWnd);
            about.DoModal();
            return 0;
        }
        return Default();
    case WM_CONTEXTMENU: OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case CTrayIcon::kCallbackMessage: OnTrayNotify(lParam); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case UM_INSTANCE_REQUEST: return OnInstanceRequest(wParam);
    case UM_SECOND_START_RUN:
        if (!Ending())
            StartCleaningRun();
        return 0;
    case UM_AFTER_INIT: OnAfterInit(); return 0;
    case WM_TIMER: OnTimer(wParam); return Default();
    case WM_HOTKEY: StartCleaningRun(); return 1;
    case CBrowserCloseWatcher::kWindowsRevokedMessage: OnBrowserWindowsRevoked(); return 0;
    case WM_QUERYENDSESSION: OnQueryEndSession(lParam); return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            SaveOnSessionEnd();
        else
            SessionGoesOn(); // another program refused
        return 0;
    default: return CSkinnedDialog::OnMessage(msg, wParam, lParam);
    }
}

bool CMainWindow::OnCommand(UINT id, UINT)
{
    switch (id) {
    case ID_COOKIE_KEEP: {
        auto dialog = std::make_unique<CCookieKeepDialog>(m_hWnd);
        (void)dialog->DoModal(); // the dialog saved the list itself, or left it
        return true;
    }
    case ID_CHECK_ALL: SetAllChecks(1); return true;
    case ID_UNCHECK_ALL: SetAllChecks(0); return true;
    case ID_CLEAN_NOW: CleanNow(); return true;
    case ID_PAGE_INTERNET: ShowPage(0); return true;
    case ID_PAGE_SYSTEM: ShowPage(1); return true;
    case ID_PAGE_GENERAL: ShowPage(2); return true;
    case ID_HOME_PAGE: OpenWebPage(CORVALE_HOME_URL); return true;
    case ID_PRODUCT_PAGE: OpenWebPage(CORVALE_PRODUCT_URL); return true;
    case ID_ABOUT: ShowAboutDialog(m_hWnd); return true;
    case ID_EXIT:
        m_exitRequested = true;
        PostMessage(WM_CLOSE);
        return true;
    case ID_RECYCLE_BIN:
        (void)::ShellExecuteA(nullptr, nullptr, kRecycleBinFolder, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    case ID_SHOW_PROGRESS: m_options.ShowProgress = !m_options.ShowProgress; return true;
    case ID_OPEN: RestoreWindow(); return true;
    case ID_AUTO_CLOSE: m_options.CleaningAutoClose = !m_options.CleaningAutoClose; return true;
    default: return false;
    }
}

void CMainWindow::CleanNow()
{
    m_pages.ReadChecks();
    if (ConfirmCleanNow(m_options))
        StartCleaningRun();
}

void CMainWindow::StartCleaningRun()
{
    corvale::StartCleaningRun(*this);
}

void CMainWindow::EnableOwner(bool enable)
{
    // A run gives back the window as it found it: still disabled when a modal dialog or
    // an outer run holds it.
    if (!enable) {
        m_enabledBeforeRuns.push_back(::IsWindowEnabled(m_hWnd) != FALSE);
        ::EnableWindow(m_hWnd, FALSE);
    } else if (!m_enabledBeforeRuns.empty()) {
        if (m_enabledBeforeRuns.back())
            ::EnableWindow(m_hWnd, TRUE);
        m_enabledBeforeRuns.pop_back();
    }
}

void CMainWindow::ReplaceProgressWindow(int autoCloseFlag, int showProgressFlag)
{
    m_progress.reset();
    m_progress = MakeWnd<CProgressWindow>(m_options);
    m_progress->AutoCloseFlag = autoCloseFlag;
    m_progress->ShowProgressFlag = showProgressFlag;
    if (m_progress->Create(m_hWnd))
        m_progress->ShowWindow(SW_SHOW);
}

void CMainWindow::AddProgressLine(const char* line)
{
    if (m_progress)
        m_progress->AddLine(line);
}

void CMainWindow::PostProgressClose()
{
    if (m_progress)
        m_progress->PostMessage(WM_CLOSE);
}

void CMainWindow::PumpPendingMessages()
{
    corvale::PumpPendingMessages();
}

const char* CMainWindow::CursorAt(int x, int y) const
{
    return SystemCursor(corvale::CursorAt(x, y, CurrentPage()));
}

bool CMainWindow::OnStripButtonDown(int x, int y)
{
    switch (HitTestButtonDown(x, y)) {
    case MainRegion::HelpButton: ShowAboutDialog(m_hWnd); return true;
    case MainRegion::MinimiseButton: ShowWindow(SW_MINIMIZE); return true;
    case MainRegion::CloseButton:
        if (ShiftDown())
            m_exitRequested = true;
        PostMessage(WM_CLOSE);
        return true;
    default: return false;
    }
}

void CMainWindow::OnButtonRelease(int x, int y)
{
    switch (HitTestButtonUp(x, y, CurrentPage())) {
    case MainRegion::TabInternet: ShowPage(0); break;
    case MainRegion::TabSystem: ShowPage(1); break;
    case MainRegion::TabGeneral: ShowPage(2); break;
    case MainRegion::ProductLogo: OpenWebPage(CORVALE_PRODUCT_URL); break;
    case MainRegion::MakersLogo:
    case MainRegion::FooterLine: OpenWebPage(CORVALE_HOME_URL); break;
    case MainRegion::CleanNow: CleanNow(); break;
    default: break;
    }
}

void CMainWindow::OnClose()
{
    // A close that comes while the session ends ends the program, unless the end is
    // refused meanwhile; one that began before the query stays the close the user made.
    const bool forTheSessionsEnd = m_sessionEnding;
    ShowWindow(SW_HIDE);
    CommitPage();
    (void)SaveSettings(m_options); // a key that cannot be written keeps the last saved settings
    if (m_options.OptionFlags[Option::OnClose] == 1)
        StartCleaningRun();
    if (!m_exitRequested && !(forTheSessionsEnd && m_sessionEnding))
        return; // resident in the tray
    EndProgram();
}

void CMainWindow::EndProgram()
{
    // A dialog, message box or menu open over the window ends as if cancelled, so that
    // its loop returns and the window's own can end.
    EndNestedModalLoops();
    FinalClose();
    EndDialog(IDCANCEL);
}

void CMainWindow::FinalClose()
{
    if (m_finalCloseDone)
        return;
    m_finalCloseDone = true;
    // A start from now on waits for this process to end instead of handing it a request.
    ::RemovePropA(m_hWnd, kMainWindowMark);
    m_schedule.ReleaseAll();
    m_pages.ShowPage(-1);
    m_tray.Remove();
}

void CMainWindow::SaveOnSessionEnd()
{
    // Windows ends the process after this message without a WM_CLOSE: the settings of
    // this session are saved and the program ends now, as it would on "/u". The
    // session's own cleaning already ran when it was queried.
    CommitPage();
    (void)SaveSettings(m_options);
    EndProgram();
}

LRESULT CMainWindow::OnInstanceRequest(WPARAM wParam)
{
    if (wParam) {
        m_exitRequested = true;
        PostMessage(WM_CLOSE);
        return 1;
    }
    // Ending already (its close run goes on): the start waits and takes its place.
    if (Ending())
        return 0;
    // The user asked for the window: a start into the tray that has not hidden it yet
    // no longer will.
    m_startHidden = false;
    ShowWindow(SW_SHOWNORMAL);
    // A modal window open over this one comes forward with it and keeps the keyboard;
    // one the user hid (the progress window) stays hidden.
    HWND popup = ::GetLastActivePopup(m_hWnd);
    HWND front = ::IsWindowEnabled(m_hWnd) || !::IsWindowVisible(popup) ? m_hWnd : popup;
    ::SetForegroundWindow(front);
    if (front == m_hWnd)
        ::SetFocus(m_hWnd);
    // The start's cleaning runs once the start has its answer: it waits for nothing, and
    // the run is not made inside a call from another process.
    if (m_options.OptionFlags[Option::OnStart] == 1)
        (void)PostMessage(UM_SECOND_START_RUN); // a queue full to the brim loses this one cleaning
    return 1;
}

void CMainWindow::ShowPage(int page)
{
    m_pages.ShowPage(page);
    WatchBrowserWindowsIfAsked();
}

void CMainWindow::SessionGoesOn()
{
    m_sessionEnding = false;
    // The query's commit skipped the watcher while the program was on its way out.
    WatchBrowserWindowsIfAsked();
}

// The shell's window collection is asked for only once a user wants browser windows
// watched: it is a call into the shell's process, the largest part of start-up
// otherwise. A program on its way out does not start watching: the call pumps messages,
// and the end of the session gives no time for it.
void CMainWindow::WatchBrowserWindowsIfAsked()
{
    if (m_options.OptionFlags[Option::IeTempFilesOnClose] == 1 && !Ending())
        m_watcher.AttachShellWindows();
}

void CMainWindow::OnAfterInit()
{
    WatchBrowserWindowsIfAsked();
    if (m_options.OptionFlags[Option::OnStart] == 1)
        StartCleaningRun();
    m_schedule.ArmAtStartup(m_options);
    if (m_startHidden)
        ShowWindow(SW_HIDE);
}

void CMainWindow::OnTimer(UINT_PTR id)
{
    if (m_schedule.IsIntervalTimer(id)) {
        StartCleaningRun();
    } else if (m_schedule.IsDailyTimer(id)) {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        if (m_dailyRun.Pass(m_options.Time, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute))
            StartCleaningRun();
    } else if (id == CBrowserCloseWatcher::kSubscribeTimer) {
        (void)::KillTimer(m_hWnd, id); // one try per asking
        WatchBrowserWindowsIfAsked();
    } else if (id == CBrowserCloseWatcher::kRetryTimer) {
        m_watcher.OnRetryTimer();
    }
}

// Silent: no progress window, no line, no pumping; read afresh on every close.
void CMainWindow::OnBrowserWindowsRevoked()
{
    if (m_watcher.BrowserWindowClosed() && m_options.OptionFlags[Option::IeTempFilesOnClose] == 1)
        CleanTemporaryInternetFiles();
}

void CMainWindow::OnQueryEndSession(LPARAM lParam)
{
    const DWORD reason = static_cast<DWORD>(lParam);
    // An installer or an update asks running programs whether they can close: the session
    // goes on, so nothing of the log-off or shutdown cleaning is due, and the program ends
    // only on the WM_ENDSESSION that follows. When another program refuses, the Restart
    // Manager sends none: the program goes on as before the question.
    const bool closeRequest = (reason & ENDSESSION_CLOSEAPP) != 0;
    if (!closeRequest)
        m_sessionEnding = true;
    // Saved before anything else: Windows may end the process while the run goes.
    CommitPage();
    (void)SaveSettings(m_options); // a key that cannot be written keeps the last saved settings
    if (closeRequest)
        return;
    const bool logOff = (reason & ENDSESSION_LOGOFF) != 0;
    if (m_options.OptionFlags[logOff ? Option::OnLogoff : Option::OnShutdown] != 1)
        return;
    // Without a reason Windows ends a program that keeps it waiting after a few seconds.
    // A critical end waits for no one and shows no reason: none is given.
    const bool blocking = !(reason & ENDSESSION_CRITICAL) && g_blockReasonCreate && g_blockReasonDestroy &&
                          g_blockReasonCreate(m_hWnd, kSessionEndReason);
    StartCleaningRun();
    if (blocking)
        (void)g_blockReasonDestroy(m_hWnd); // a reason not withdrawn goes with the window
}

void CMainWindow::OnTrayNotify(LPARAM mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDBLCLK)
        RestoreWindow();
    else if (mouseMessage == WM_RBUTTONDOWN)
        ShowTrayMenu();
}

void CMainWindow::RestoreWindow()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(m_hWnd, &placement);
    placement.showCmd = SW_SHOWNORMAL;
    ::SetWindowPlacement(m_hWnd, &placement);
    ::SetForegroundWindow(m_hWnd);
}

void CMainWindow::ShowTrayMenu()
{
    MenuHandle menu = BuildTrayMenu(m_options);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only if its owner is in front.
    ::SetForegroundWindow(m_hWnd);
    ::TrackPopupMenuEx(menu.Get(), TPM_LEFTBUTTON, cursor.x, cursor.y, m_hWnd, nullptr);
    menu.Reset();
    PostMessage(WM_USER);
}

void CMainWindow::OnContextMenu(int x, int y)
{
    // The menu key and Shift+F10 give no point: the menu opens below the control with
    // the focus, or at the window's corner, not at the corner of the screen.
    if (x == -1 && y == -1) {
        HWND focus = ::GetFocus();
        const bool onControl = focus && ::IsChild(m_hWnd, focus);
        RECT anchor = GetWindowRect();
        if (onControl)
            ::GetWindowRect(focus, &anchor);
        x = anchor.left;
        y = onControl ? anchor.bottom : anchor.top;
    }
    MenuHandle menu = LoadContextMenu(CurrentPage(), m_options);
    if (HMENU popup = ::GetSubMenu(menu.Get(), 0))
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, x, y, 0, m_hWnd, nullptr);
}

bool CMainWindow::OnPaintIconic()
{
    if (!::IsIconic(m_hWnd))
        return false;
    PaintDc paint(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Get()));
    const RECT client = GetClientRect();
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(paint.Get(), x, y, m_icon);
    return true;
}

} // namespace corvale
