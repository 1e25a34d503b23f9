#include "app/TrayIcon.h"

#include <shellapi.h>
#include <version.h>

#include <cstring>

namespace corvale {
namespace {

constexpr char kTip[] = "Corvale";

NOTIFYICONDATAA Record(HWND owner)
{
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = owner;
    data.uID = CTrayIcon::kId;
    return data;
}

UINT CheckedIf(int flag)
{
    return flag == 1 ? MF_CHECKED : MF_UNCHECKED;
}

} // namespace

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == 488, "the shell is told the 32-bit record of 488 bytes");
#endif

void CTrayIcon::Add(HWND owner)
{
    if (!m_icon)
        m_icon.Reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP),
                                                     IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    NOTIFYICONDATAA data = Record(owner);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = m_icon.Get();
    std::memcpy(data.szTip, kTip, sizeof kTip);
    // Without a notification area the window still works; the user opens it from the
    // next start of the program.
    (void)::Shell_NotifyIconA(NIM_ADD, &data);
    m_owner = owner;
}

void CTrayIcon::Remove()
{
    if (!m_owner)
        return;
    NOTIFYICONDATAA data = Record(m_owner);
    (void)::Shell_NotifyIconA(NIM_DELETE, &data); // already gone with Explorer: nothing to do
    m_owner = nullptr;
}

MenuHandle BuildTrayMenu(const CleaningOptions& options)
{
    MenuHandle menu(::CreatePopupMenu());
    HMENU help = ::CreatePopupMenu();
    ::AppendMenuA(help, MF_STRING, ID_ABOUT, "About");
    ::AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(help, MF_STRING, ID_HOME_PAGE, CORVALE_MAKER_DOMAIN);
    ::AppendMenuA(help, MF_STRING, ID_PRODUCT_PAGE, "Product Page");

    HMENU m = menu.Get();
    ::AppendMenuA(m, MF_STRING, ID_OPEN, "Open Corvale");
    ::AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(m, MF_STRING, ID_CLEAN_NOW, "Clean Now");
    ::AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(m, MF_STRING | CheckedIf(options.ShowProgress), ID_SHOW_PROGRESS, "Show cleaning progress");
    ::AppendMenuA(m, MF_STRING | CheckedIf(options.CleaningAutoClose), ID_AUTO_CLOSE,
                  "Close progress bar automatically");
    ::AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
    // The menu owns the submenu from here on, and destroys it with itself.
    if (!::AppendMenuA(m, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "Help"))
        ::DestroyMenu(help);
    ::AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(m, MF_STRING, ID_EXIT, "Shutdown Corvale");
    return menu;
}

MenuHandle LoadContextMenu(int currentPage, const CleaningOptions& options)
{
    MenuHandle menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXT_MENU)));
    HMENU popup = ::GetSubMenu(menu.Get(), 0);
    if (!popup)
        return menu;
    constexpr UINT kPageItems[] = {ID_PAGE_INTERNET, ID_PAGE_SYSTEM, ID_PAGE_GENERAL};
    if (currentPage >= 0 && currentPage < 3)
        ::CheckMenuItem(popup, kPageItems[currentPage], MF_BYCOMMAND | MF_CHECKED);
    ::CheckMenuItem(popup, ID_SHOW_PROGRESS, MF_BYCOMMAND | CheckedIf(options.ShowProgress));
    ::CheckMenuItem(popup, ID_AUTO_CLOSE, MF_BYCOMMAND | CheckedIf(options.CleaningAutoClose));
    return menu;
}

} // namespace corvale
