#include "dialogs/ProgressWindow.h"

#include "dialogs/DialogRegions.h"
#include "resource.h"
#include "version.h"

namespace corvale {
namespace {

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr RECT kCloseRect{320, 50, 409, 76};
constexpr RECT kLinesRect{25, 90, 25 + 385, 90 + 140};
constexpr RECT kAutoCloseBox{25, 240, 37, 252};
constexpr RECT kAutoCloseLabel{39, 239, 300, 252};
constexpr RECT kShowProgressBox{25, 262, 37, 274};
constexpr RECT kShowProgressLabel{39, 261, 300, 274};
constexpr UINT kAutoCloseId = 10;
constexpr UINT kShowProgressId = 11;
constexpr DWORD kAutoClosePauseMs = 500;

} // namespace

CProgressWindow::CProgressWindow(CleaningOptions& options)
    : CSkinnedDialog(IDD_PROGRESS, nullptr, IDC_PICTURE, kDragStripHeight), m_options(options)
{
}

void CProgressWindow::AddLine(const char* text)
{
    (void)m_lines.AddString(text); // a line the list cannot hold is not worth stopping the run
}

void CProgressWindow::DoDataExchange()
{
    CSkinnedDialog::DoDataExchange();
    DdxControl(IDC_PROGRESS_LIST, m_lines);
}

BOOL CProgressWindow::OnInitDialog()
{
    CSkinnedDialog::OnInitDialog();
    // Without its skin the window keeps its template look and only lists lines.
    if (!ApplySkin(IDG_PROGRESS))
        return FALSE;

    // Without the button, Escape and WM_CLOSE still close the window.
    (void)m_close.Create("Close", kButtonStyle, kCloseRect, m_hWnd, IDCANCEL);
    m_close.SetFont(nullptr);
    m_lines.MoveWindow(kLinesRect.left, kLinesRect.top, kLinesRect.right - kLinesRect.left,
                       kLinesRect.bottom - kLinesRect.top);
    m_lines.ResetContent();

    // A box that cannot be made is not read back when the window closes (OnCancel).
    (void)m_autoCloseBox.Create("Close this window automatically", nullptr, kCheckBoxStyle, kAutoCloseBox,
                                kAutoCloseLabel, Picture(), kAutoCloseId);
    if (AutoCloseFlag == 1)
        m_autoCloseBox.SetCheck(BST_CHECKED);
    ::SetFocus(m_autoCloseBox);
    (void)m_showProgressBox.Create("Show cleaning progress", nullptr, kCheckBoxStyle, kShowProgressBox,
                                   kShowProgressLabel, Picture(), kShowProgressId);
    if (ShowProgressFlag == 1)
        m_showProgressBox.SetCheck(BST_CHECKED);
    return TRUE;
}

void CProgressWindow::OnCancel()
{
    // Lets the user read "Cleaning Done!" before the window goes by itself.
    if (AutoCloseFlag == 1)
        ::Sleep(kAutoClosePauseMs);
    // Boxes that were never made (no skin) must not switch the settings off.
    if (m_autoCloseBox.IsAttached()) {
        AutoCloseFlag = m_autoCloseBox.GetCheck();
        m_options.CleaningAutoClose = AutoCloseFlag;
    }
    if (m_showProgressBox.IsAttached()) {
        ShowProgressFlag = m_showProgressBox.GetCheck();
        m_options.ShowProgress = ShowProgressFlag;
    }
    EndDialog(IDCANCEL);
}

const char* CProgressWindow::CursorAt(int x, int y) const
{
    return SystemCursor(ProgressCursorAt(x, y));
}

void CProgressWindow::OnButtonRelease(int x, int y)
{
    if (kProgressHomeArea.Contains(x, y))
        OpenWebPage(CORVALE_HOME_URL);
}

} // namespace corvale
