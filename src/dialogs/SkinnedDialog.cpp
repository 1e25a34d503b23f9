#include "dialogs/SkinnedDialog.h"

#include <shellapi.h>
#include <windowsx.h>

namespace corvale {

CSkinnedDialog::CSkinnedDialog(UINT templateId, HWND parent, UINT pictureControlId, int dragStripHeight)
    : CDialog(templateId, parent), m_pictureControlId(pictureControlId), m_dragStripHeight(dragStripHeight)
{
}

void CSkinnedDialog::DoDataExchange()
{
    DdxControl(static_cast<int>(m_pictureControlId), m_picture);
}

bool CSkinnedDialog::ApplySkin(UINT imageId)
{
    if (!m_picture.LoadResourcePicture(imageId, "GIF"))
        return false;
    m_picture.ShowPicture();
    // The skin is the background: below its siblings and clipped by them, it neither
    // paints over them nor takes their clicks.
    ::SetWindowLongPtrA(m_picture, GWL_STYLE, ::GetWindowLongPtrA(m_picture, GWL_STYLE) | WS_CLIPSIBLINGS);
    ::SetWindowPos(m_picture, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    const RECT window = GetWindowRect();
    const RECT picture = m_picture.GetClientRect();
    MoveWindow(window.left, window.top, picture.right, picture.bottom);
    return true;
}

LRESULT CSkinnedDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_LBUTTONDOWN: OnButtonDown(x, y); return Default();
    case WM_MOUSEMOVE: {
        // A moving window gets no default processing for the moves that carry it.
        const bool dragging = m_dragging;
        OnMouseMove(x, y);
        return dragging ? 0 : Default();
    }
    case WM_LBUTTONUP: OnButtonUp(x, y); return Default();
    case WM_WINDOWPOSCHANGED: {
        // A window out of sight holds no decoded skin; it is decoded again as it shows.
        // Every way of showing or hiding ends here, WM_SHOWWINDOW not: a hidden window
        // restored from its minimised state (closed from the taskbar while minimised,
        // then opened from the tray) hears none.
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (position->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))
            m_picture.SetShown((position->flags & SWP_SHOWWINDOW) != 0);
        return Default();
    }
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a menu, a message box): the drag is over.
        m_dragging = false;
        return Default();
    default: return CDialog::OnMessage(msg, wParam, lParam);
    }
}

void CSkinnedDialog::OnButtonDown(int x, int y)
{
    if (y >= m_dragStripHeight || OnStripButtonDown(x, y))
        return;
    ::SetCursor(::LoadCursorA(nullptr, IDC_SIZEALL));
    m_dragging = true;
    m_dragOrigin = {x, y};
    ::SetCapture(m_hWnd);
}

void CSkinnedDialog::OnMouseMove(int x, int y)
{
    if (!m_dragging) {
        ::SetCursor(::LoadCursorA(nullptr, CursorAt(x, y)));
        return;
    }
    // The origin stays put: the window follows the mouse, keeping the press point under it.
    const RECT window = GetWindowRect();
    MoveWindow(window.left + x - m_dragOrigin.x, window.top + y - m_dragOrigin.y, window.right - window.left,
               window.bottom - window.top);
    ::SetCursor(::LoadCursorA(nullptr, IDC_SIZEALL));
}

void CSkinnedDialog::OnButtonUp(int x, int y)
{
    m_dragging = false;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    OnButtonRelease(x, y);
}

const char* SystemCursor(DialogCursor cursor)
{
    switch (cursor) {
    case DialogCursor::Hand: return IDC_HAND;
    case DialogCursor::SizeAll: return IDC_SIZEALL;
    case DialogCursor::Arrow: break;
    }
    return IDC_ARROW;
}

namespace {

void ShellOpen(const char* url)
{
    // No message when there is no browser: the user sees nothing happen, as with a dead link.
    (void)::ShellExecuteA(nullptr, nullptr, url, nullptr, nullptr, SW_SHOWNORMAL);
}

PageOpener g_pageOpener = ShellOpen;

} // namespace

void OpenWebPage(const char* url)
{
    g_pageOpener(url);
}

PageOpener ReplacePageOpener(PageOpener opener)
{
    const PageOpener previous = g_pageOpener;
    g_pageOpener = opener ? opener : ShellOpen;
    return previous;
}

} // namespace corvale
