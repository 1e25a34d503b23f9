#pragma once
// The three option pages laid over the main window's picture: "&1 Internet Clean",
// "&2 System Clean" and "&3 General Options" (the schedule). The pages are the only
// place where what the user ticks or types reaches the settings record: leaving a page
// commits it; leaving the schedule page also checks the interval and the daily time and
// hands the record as it was back to the host, which re-arms what changed.

#include "controls/AnimatedPicture.h"
#include "controls/MaskedEdit.h"
#include "controls/OptionCheckBox.h"
#include "platform/Handle.h"
#include "settings/CleaningOptions.h"

#include <memory>
#include <vector>

namespace corvale {

// What the pages need of the window they are shown on (the main window).
class IPageHost {
public:
    // Parent of the two push buttons, so that their commands reach it.
    virtual HWND PageHostWindow() const = 0;
    // The picture the page image is shown in; parent of the other page controls.
    virtual CAnimatedPicture& PagePicture() = 0;
    virtual CleaningOptions& OptionsRecord() = 0;
    virtual HFONT ControlFont() const = 0;
    // The schedule page was committed into the record, which held `before` until then.
    // Called before the next page is built, so that it shows what the host changed (an
    // unticked hot key whose registration failed).
    virtual void ScheduleCommitted(const CleaningOptions& before) = 0;

protected:
    ~IPageHost() = default;
};

class COptionPages {
public:
    static constexpr int kNoPage = -1;
    static constexpr int kInternetPage = 0;
    static constexpr int kSystemPage = 1;
    static constexpr int kSchedulePage = 2;

    explicit COptionPages(IPageHost& host);
    // Destroys the page controls without committing them.
    ~COptionPages();
    COptionPages(const COptionPages&) = delete;
    COptionPages& operator=(const COptionPages&) = delete;

    // Commits the page on show, destroys its controls and builds the given page (0, 1
    // or 2); any other number only commits and destroys.
    void ShowPage(int page);
    int CurrentPage() const { return m_currentPage; }
    // Ticks (1) or clears (0) every option box of the page on show; the record changes
    // only when the page is committed.
    void SetAllChecks(int state);
    // Copies the boxes of page 0 or 1 into their flags, leaving the page as it is.
    void ReadChecks();

private:
    void Build(int page);
    void BuildOptions(int page);
    void BuildPushButton(int page);
    void BuildSchedule();
    void StoreChecks();
    void Commit();
    void CommitSchedule();
    void DestroyControls();

    struct PageOption {
        WndPtr<COptionCheckBox> box;
        int flag;
    };

    IPageHost& m_host;
    int m_currentPage = kNoPage;
    std::vector<PageOption> m_options;
    // Declared before the button that shows it, so it goes after the button.
    IconHandle m_recycleIcon;
    WndPtr<CButton> m_pushButton;
    WndPtr<CEdit> m_interval;
    WndPtr<CHotKeyCtrl> m_hotKey;
    WndPtr<CMaskedEdit> m_time;
};

} // namespace corvale
