#include "dialogs/SplashDialog.h"

#include "resource.h"

namespace corvale {
namespace {
constexpr UINT_PTR kTimerId = 1;
} // namespace

CSplashDialog::CSplashDialog(UINT imageId) : CDialog(IDD_SPLASH, nullptr), m_imageId(imageId) {}

CSplashDialog::CSplashDialog() : CSplashDialog(IDG_SPLASH) {}

void CSplashDialog::DoDataExchange()
{
    DdxControl(IDC_SPLASH_PICTURE, m_picture);
}

BOOL CSplashDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Without its picture the splash still ends on time: the program's start must not
    // wait for a key press on an empty window.
    ::SetTimer(m_hWnd, kTimerId, kShowMilliseconds, nullptr);
    if (!m_picture.LoadResourcePicture(m_imageId, "GIF"))
        return FALSE;
    m_picture.ShowPicture();
    const RECT window = GetWindowRect();
    const RECT picture = m_picture.GetClientRect();
    MoveWindow(window.left, window.top, picture.right, picture.bottom);
    return TRUE;
}

LRESULT CSplashDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_TIMER)
        return CDialog::OnMessage(msg, wParam, lParam);
    ::KillTimer(m_hWnd, wParam);
    EndDialog(IDOK);
    return 0;
}

} // namespace corvale
