#pragma once
// CMainWindow: the program's one top-level window. Its face is the page image with the
// option page on show laid over it; everything else the user clicks is a hot region of
// the image. It owns the settings record, the page, the tray icon, the schedule, the
// progress window of the last run and the browser-window watcher, and every trigger
// ends here in a cleaning run.

#include "app/TrayIcon.h"
#include "dialogs/OptionPages.h"
#include "dialogs/ProgressWindow.h"
#include "dialogs/SkinnedDialog.h"
#include "engine/CleaningRun.h"
#include "platform/Controls.h"
#include "settings/CleaningOptions.h"
#include "triggers/BrowserCloseWatcher.h"
#include "triggers/ScheduleRules.h"
#include "triggers/ScheduleTriggers.h"

#include <memory>
#include <vector>

namespace corvale {

// Private messages: the end of initialisation, a second start of the program, and that
// start's cleaning, which runs once the start has its answer.
constexpr UINT UM_AFTER_INIT = WM_USER + 100;
constexpr UINT UM_INSTANCE_REQUEST = WM_USER + 101;
constexpr UINT UM_SECOND_START_RUN = WM_USER + 102;
constexpr char kMainWindowTitle[] = "Corvale";
// A property of the main window alone: the program's message box has the same title.
constexpr char kMainWindowMark[] = "Corvale.MainWindow";

class CMainWindow : public CSkinnedDialog, public ICleaningRunOwner, public IPageHost {
public:
    // Defaults, then the saved settings; the watcher subscribes at once.
    explicit CMainWindow(bool startHidden);
    ~CMainWindow() override;

    // Commits the page on show (attaching the browser-window watcher once its option
    // is on) and builds the given one.
    void ShowPage(int page);
    int CurrentPage() const { return m_pages.CurrentPage(); }
    // Check All and Uncheck All: the boxes of the page on show, not yet the record.
    void SetAllChecks(int state) { m_pages.SetAllChecks(state); }
    // The ticks of the page on show count, committed or not; schedule options alone
    // clean nothing.
    void CleanNow();
    void StartCleaningRun();

    CleaningOptions& Settings() { return m_options; }
    // The user asked the program to end (Exit, Shift with the close button, "/u").
    bool ExitRequested() const { return m_exitRequested; }
    CProgressWindow* ProgressWindow() const { return m_progress.get(); }
    // The automation interface the shell's window collection reports to.
    IDispatch* AutomationInterface() { return &m_watcher; }

    // ICleaningRunOwner
    const CleaningOptions& Options() const override { return m_options; }
    void EnableOwner(bool enable) override;
    void CommitPage() override { ShowPage(CurrentPage()); }
    void ReplaceProgressWindow(int autoCloseFlag, int showProgressFlag) override;
    void AddProgressLine(const char* line) override;
    void PostProgressClose() override;
    void PumpPendingMessages() override;

    // IPageHost
    HWND PageHostWindow() const override { return m_hWnd; }
    CAnimatedPicture& PagePicture() override { return Picture(); }
    CleaningOptions& OptionsRecord() override { return m_options; }
    HFONT ControlFont() const override { return static_cast<HFONT>(m_controlFont.Get()); }
    void ScheduleCommitted(const CleaningOptions& before) override { m_schedule.Rearm(before, m_options); }

    bool PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT notifyCode) override;
    // Enter has no button to press here; Escape closes to the tray like the close button.
    void OnOK() override {}
    void OnCancel() override { PostMessage(WM_CLOSE); }

    const char* CursorAt(int x, int y) const override;
    bool OnStripButtonDown(int x, int y) override;
    void OnButtonRelease(int x, int y) override;

private:
    void OnClose();
    // The user asked to end, or the session ends: no start is answered, nothing new begins.
    bool Ending() const { return m_exitRequested || m_sessionEnding; }
    void EndProgram();
    void FinalClose();
    void SaveOnSessionEnd();
    LRESULT OnInstanceRequest(WPARAM wParam);
    void OnAfterInit();
    // WM_ENDSESSION with the session going on: the program stays, as before the query.
    void SessionGoesOn();
    void WatchBrowserWindowsIfAsked();
    void OnTimer(UINT_PTR id);
    void OnBrowserWindowsRevoked();
    void OnQueryEndSession(LPARAM lParam);
    void OnTrayNotify(LPARAM mouseMessage);
    void OnContextMenu(int x, int y);
    void RestoreWindow();
    void ShowTrayMenu();
    bool OnPaintIconic();

    CleaningOptions m_options;
    bool m_startHidden;
    bool m_exitRequested = false;
    // From a query of the session's end (not an installer's question) until the session goes on.
    bool m_sessionEnding = false;
    bool m_finalCloseDone = false;
    HICON m_icon;
    GdiObject m_controlFont;
    CToolTipCtrl m_toolTip;
    CTrayIcon m_tray;
    CScheduleTriggers m_schedule;
    DailyRunGate m_dailyRun;
    COptionPages m_pages;
    CBrowserCloseWatcher m_watcher;
    WndPtr<CProgressWindow> m_progress;
    // Whether the window was enabled when each run in progress disabled it.
    std::vector<bool> m_enabledBeforeRuns;
    UINT m_taskbarCreated;
};

} // namespace corvale
