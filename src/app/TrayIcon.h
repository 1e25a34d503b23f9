#pragma once
// The notification-area icon of the main window and the two menus the user opens on
// the program: the tray menu, built in code each time, and context menu 137 from the
// resources. Both carry check marks from the live settings.

#include "platform/Handle.h"
#include "settings/CleaningOptions.h"

#include <resource.h>

namespace corvale {

// The record the shell is given, in its size of the Windows 2000 layout (488 bytes in a
// 32-bit program): the icon, its id, the callback message and the tip "Corvale".
class CTrayIcon {
public:
    static constexpr UINT kId = ID_TRAY_ICON;
    static constexpr UINT kCallbackMessage = WM_USER + 1000;

    ~CTrayIcon() { Remove(); }

    // Adds the icon for the window; called again when Explorer restarts.
    void Add(HWND owner);
    void Remove();
    bool IsAdded() const { return m_owner != nullptr; }

private:
    HWND m_owner = nullptr;
    IconHandle m_icon;
};

// The tray menu: "Open Corvale", "Clean Now", the two progress toggles, the "Help"
// submenu and "Shutdown Corvale". The submenu is destroyed with the menu.
MenuHandle BuildTrayMenu(const CleaningOptions& options);

// Context menu 137 with the page on show and the two progress toggles checked as the
// settings say. The menu that opens is its first submenu.
MenuHandle LoadContextMenu(int currentPage, const CleaningOptions& options);

} // namespace corvale
