#include "dialogs/OptionPages.h"

#include "resource.h"
#include "triggers/HotKeyCode.h"
#include "triggers/ScheduleRules.h"

#include <iterator>
#include <string>

namespace corvale {
namespace {

constexpr DWORD kOptionStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kPushButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kIconButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_ICON | BS_CENTER;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP;
// The time box is always full, and the mask's overwrite needs the edit to take one
// character more for a moment: a box that only takes what fits its width would refuse
// every digit typed in the control font.
constexpr DWORD kTimeEditStyle = kEditStyle | ES_AUTOHSCROLL;
constexpr DWORD kHotKeyStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

constexpr char kTimeMask[] = "##:##";
constexpr char kTimePrompt = '_';
constexpr int kRecycleIconSize = 16;

struct OptionControl {
    const char* text;
    UINT id;
    RECT box;
    RECT label;
};

// In creation order, which is the order of the page's flags.
const OptionControl kInternetOptions[] = {
    {"Internet Explorer Temp Files", 11, {31, 146, 43, 158}, {45, 145, 300, 158}},
    {"Internet Explorer History", 12, {31, 165, 43, 177}, {45, 164, 300, 177}},
    {"Internet Explorer Address Bar", 13, {31, 183, 43, 195}, {45, 182, 300, 195}},
    {"Clean Internet Temp Files when IE closes", 15, {31, 202, 43, 214}, {45, 201, 300, 214}},
    {"Clean Internet Explorer Cookies------------------>>", 14, {31, 221, 43, 233}, {45, 220, 300, 233}},
};

// The screen order differs: the Recycle Bin sits at the bottom of the left column.
const OptionControl kSystemOptions[] = {
    {"Search History", 11, {31, 146, 43, 158}, {45, 145, 300, 158}},
    {"Recent Docs History", 12, {31, 165, 43, 177}, {45, 164, 300, 177}},
    {"Scandisk Files", 13, {31, 183, 43, 195}, {45, 182, 300, 195}},
    {"Recycle Bin", 14, {31, 260, 43, 272}, {45, 259, 300, 272}},
    {"Clipboard Memory", 15, {31, 203, 43, 215}, {45, 202, 300, 215}},
    {"Download Program Files Directory", 16, {31, 241, 43, 253}, {45, 240, 300, 253}},
    {"Temporary Files Directory", 17, {31, 222, 43, 234}, {45, 221, 300, 234}},
    {"Start/Run History", 18, {269, 146, 281, 158}, {283, 145, 400, 158}},
    {"Clean Swap File on Shutdown", 19, {269, 165, 281, 177}, {283, 164, 450, 177}},
    {"Recent Network Drive List", 20, {269, 183, 281, 195}, {283, 182, 450, 195}},
    {"Remove Recent Docs History", 21, {269, 201, 281, 213}, {283, 200, 450, 213}},
};

// The interval edit follows "Clean every" and the hot-key control "When pressing
// HotKey", so that Tab reaches each right after its option.
const OptionControl kScheduleOptions[] = {
    {"Windows Logoff", 11, {31, 146, 43, 158}, {45, 145, 300, 158}},
    {"Windows Restart\\Shutdown", 12, {31, 165, 43, 177}, {45, 164, 300, 177}},
    {"Every time Corvale Starts", 13, {31, 184, 43, 196}, {45, 183, 300, 196}},
    {"Every time Corvale Closes", 14, {31, 203, 43, 216}, {45, 202, 300, 216}},
    {"Clean every             minutes", 15, {31, 222, 43, 235}, {45, 221, 300, 235}},
    {"When pressing HotKey [may be changed] --->>", 17, {31, 241, 43, 253}, {45, 240, 400, 253}},
    {"Every day at", 19, {31, 261, 43, 273}, {45, 260, 400, 273}},
};
constexpr int kIntervalAfterOption = 4;
constexpr int kHotKeyAfterOption = 5;

constexpr UINT kIntervalId = 16;
constexpr RECT kIntervalRect{112, 220, 138, 238};
constexpr UINT kHotKeyId = 18;
constexpr RECT kHotKeyRect{280, 238, 378, 259};
constexpr UINT kTimeId = 20;
constexpr RECT kTimeRect{112, 259, 155, 277};

constexpr RECT kCookieButtonRect{272, 216, 437, 241};
constexpr char kCookieButtonText[] = "Except Those Selected";
constexpr RECT kRecycleButtonRect{8, 255, 28, 275};

struct PageLayout {
    UINT image;
    const OptionControl* options;
    int optionCount;
    int firstFlag;
};

const PageLayout kPages[] = {
    {IDG_PAGE_INTERNET, kInternetOptions, static_cast<int>(std::size(kInternetOptions)), kOptionPages[0].firstFlag},
    {IDG_PAGE_SYSTEM, kSystemOptions, static_cast<int>(std::size(kSystemOptions)), kOptionPages[1].firstFlag},
    {IDG_PAGE_GENERAL, kScheduleOptions, static_cast<int>(std::size(kScheduleOptions)), kOptionPages[2].firstFlag},
};

bool IsPage(int page)
{
    return page >= 0 && page < static_cast<int>(std::size(kPages));
}

} // namespace

COptionPages::COptionPages(IPageHost& host) : m_host(host) {}

COptionPages::~COptionPages()
{
    DestroyControls();
}

void COptionPages::ShowPage(int page)
{
    Commit();
    m_currentPage = kNoPage;
    if (!IsPage(page))
        return;
    CAnimatedPicture& picture = m_host.PagePicture();
    if (!picture.LoadResourcePicture(kPages[page].image, "GIF"))
        return;
    picture.ShowPicture();
    m_currentPage = page;
    Build(page);
}

void COptionPages::SetAllChecks(int state)
{
    for (const PageOption& option : m_options)
        option.box->SetCheck(state);
}

void COptionPages::ReadChecks()
{
    if (m_currentPage == kInternetPage || m_currentPage == kSystemPage)
        StoreChecks();
}

void COptionPages::StoreChecks()
{
    auto& flags = m_host.OptionsRecord().OptionFlags;
    for (const PageOption& option : m_options) {
        // A box that went with its window has nothing to tell: its flag stays.
        if (option.box->IsAttached())
            flags[option.flag] = option.box->GetCheck() == BST_CHECKED ? 1 : 0;
    }
}

void COptionPages::Build(int page)
{
    // Tab then walks into the picture's children as into the window's own.
    HWND picture = m_host.PagePicture();
    ::SetWindowLongPtrA(picture, GWL_EXSTYLE, ::GetWindowLongPtrA(picture, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    BuildOptions(page);
    BuildPushButton(page);
    if (page == kSchedulePage)
        BuildSchedule();
    // A hidden window (closed to the tray, or a scheduled run committing) would be
    // activated by taking the focus, and a disabled one would take it from the modal
    // dialog over it; the dialog gives it to the first option when the window is shown
    // or enabled again.
    HWND host = m_host.PageHostWindow();
    if (!m_options.empty() && ::IsWindowVisible(host) && ::IsWindowEnabled(host))
        ::SetFocus(*m_options.front().box);
}

void COptionPages::BuildOptions(int page)
{
    const PageLayout& layout = kPages[page];
    const auto& flags = m_host.OptionsRecord().OptionFlags;
    HWND picture = m_host.PagePicture();
    HFONT font = m_host.ControlFont();
    for (int k = 0; k < layout.optionCount; ++k) {
        const OptionControl& control = layout.options[k];
        auto option = MakeWnd<COptionCheckBox>();
        const int flag = layout.firstFlag + k;
        // An option that could not be made keeps its flag as it was.
        if (!option->Create(control.text, font, kOptionStyle, control.box, control.label, picture, control.id))
            continue;
        option->SetCheck(flags[flag] == 1 ? BST_CHECKED : BST_UNCHECKED);
        m_options.push_back({std::move(option), flag});
        if (page != kSchedulePage)
            continue;
        if (k == kIntervalAfterOption) {
            m_interval = MakeWnd<CEdit>();
            (void)m_interval->Create(kEditStyle, kIntervalRect, picture, kIntervalId); // the commit checks
            m_interval->SetFont(font);
        } else if (k == kHotKeyAfterOption) {
            m_hotKey = MakeWnd<CHotKeyCtrl>();
            (void)m_hotKey->Create(kHotKeyStyle, kHotKeyRect, picture, kHotKeyId); // the commit checks
            m_hotKey->SetFont(font);
        }
    }
}

void COptionPages::BuildPushButton(int page)
{
    HWND host = m_host.PageHostWindow();
    if (page == kInternetPage) {
        m_pushButton = MakeWnd<CButton>();
        (void)m_pushButton->Create(kCookieButtonText, kPushButtonStyle, kCookieButtonRect, host, ID_COOKIE_KEEP);
        m_pushButton->SetFont(m_host.ControlFont());
    } else if (page == kSystemPage) {
        m_pushButton = MakeWnd<CButton>();
        (void)m_pushButton->Create("", kIconButtonStyle, kRecycleButtonRect, host, ID_RECYCLE_BIN);
        m_pushButton->SetFont(m_host.ControlFont());
        if (!m_recycleIcon)
            m_recycleIcon.Reset(
                static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_RECYCLE_BIN),
                                                IMAGE_ICON, kRecycleIconSize, kRecycleIconSize, LR_DEFAULTCOLOR)));
        m_pushButton->SetIcon(m_recycleIcon.Get());
    }
}

void COptionPages::BuildSchedule()
{
    const CleaningOptions& options = m_host.OptionsRecord();
    if (m_interval)
        m_interval->SetText(std::to_string(options.Interval));
    if (m_hotKey)
        m_hotKey->SendMessage(HKM_SETHOTKEY, HotKeyControlWord(options.HotKeyA));
    m_time = MakeWnd<CMaskedEdit>();
    (void)m_time->Create(kTimeEditStyle, kTimeRect, m_host.PagePicture(), kTimeId); // the commit checks
    m_time->SetFont(m_host.ControlFont());
    m_time->SetMask(kTimeMask, kTimePrompt);
    m_time->SetData(DigitsForTime(options.Time));
}

void COptionPages::Commit()
{
    if (m_currentPage == kSchedulePage)
        CommitSchedule();
    else
        StoreChecks();
    DestroyControls();
}

void COptionPages::CommitSchedule()
{
    CleaningOptions& options = m_host.OptionsRecord();
    const CleaningOptions before = options;
    StoreChecks();
    // A control that could not be made leaves its value as it was.
    if (m_interval && m_interval->IsAttached())
        options.Interval = IntervalFromText(m_interval->GetText());
    if (m_time && m_time->IsAttached())
        options.Time = TimeFromDigits(m_time->GetData());
    if (m_hotKey && m_hotKey->IsAttached()) {
        WORD virtualKey = 0;
        WORD modifiers = 0;
        m_hotKey->GetHotKey(virtualKey, modifiers);
        options.HotKeyA = HotKeyFromControl(virtualKey, modifiers);
    }
    m_host.ScheduleCommitted(before);
}

void COptionPages::DestroyControls()
{
    m_options.clear();
    m_pushButton.reset();
    m_interval.reset();
    m_hotKey.reset();
    m_time.reset();
}

} // namespace corvale
