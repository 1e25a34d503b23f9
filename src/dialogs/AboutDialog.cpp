#include "dialogs/AboutDialog.h"

#include "dialogs/DialogRegions.h"
#include "dialogs/HelpFile.h"
#include "resource.h"
#include "version.h"

#include <memory>

namespace corvale {
namespace {
constexpr RECT kCloseButton{320, 208, 409, 234};
constexpr RECT kLicenceView{65, 54, 65 + 343, 54 + 146};
} // namespace

CAboutDialog::CAboutDialog(HWND owner) : CSkinnedDialog(IDD_ABOUT, owner, IDC_PICTURE, kDragStripHeight) {}

BOOL CAboutDialog::OnInitDialog()
{
    CSkinnedDialog::OnInitDialog();
    if (!ApplySkin(IDG_ABOUT))
        return FALSE;
    m_close.Create("Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP, kCloseButton, m_hWnd, IDCANCEL);
    m_close.SetFont(nullptr);
    if (m_html.CreateOverStatic(IDC_ABOUT_HTML, m_hWnd)) {
        m_html.MoveWindow(kLicenceView.left, kLicenceView.top, kLicenceView.right - kLicenceView.left,
                          kLicenceView.bottom - kLicenceView.top);
        (void)m_html.LoadFromResource(IDH_LICENCE); // no HTML engine: the view stays empty
    }
    return TRUE;
}

const char* CAboutDialog::CursorAt(int x, int y) const
{
    switch (AboutCursorAt(x, y)) {
    case DialogCursor::Hand: return IDC_HAND;
    case DialogCursor::SizeAll: return IDC_SIZEALL;
    default: return IDC_ARROW;
    }
}

void CAboutDialog::OnButtonRelease(int x, int y)
{
    switch (AboutAreaAt(x, y)) {
    case AboutArea::Help: {
        const std::string helpFile = InstalledHelpFile();
        if (!helpFile.empty())
            OpenHelp(helpFile);
        break;
    }
    case AboutArea::HomeTop:
    case AboutArea::HomeBottom: OpenPage(CORVALE_HOME_URL); break;
    case AboutArea::ProductPage: OpenPage(CORVALE_PRODUCT_URL); break;
    case AboutArea::None: break;
    }
}

void CAboutDialog::OpenPage(const char* url)
{
    OpenWebPage(url);
}

void CAboutDialog::OpenHelp(const std::string& helpFile)
{
    (void)ShowHelpFile(m_hWnd, helpFile); // no help file or no HTML Help: nothing opens
}

void ShowAboutDialog(HWND owner)
{
    const auto dialog = std::make_unique<CAboutDialog>(owner);
    (void)dialog->DoModal(); // Close, Enter and Escape all just end it
}

} // namespace corvale
