// The two menus as the program builds them, read back item by item, and the tray icon
// as the shell sees it.
#include "app/TrayIcon.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <version.h>

#include <string>
#include <vector>

namespace corvale {
namespace {

struct Item {
    std::string text; // "-" for a separator, "+" prefix for a submenu
    UINT id;
    bool checked;
    bool operator==(const Item& other) const
    {
        return text == other.text && id == other.id && checked == other.checked;
    }
};

std::vector<Item> ReadMenu(HMENU menu)
{
    std::vector<Item> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            items.push_back({"-", 0, false});
        else if (info.hSubMenu)
            items.push_back({std::string("+") + text, 0, false});
        else
            items.push_back({text, info.wID, (info.fState & MFS_CHECKED) != 0});
    }
    return items;
}

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << item.text << ' ' << item.id << (item.checked ? " checked" : "");
}

TEST(TrayMenu, ItemsIdsAndCheckMarksFollowTheSettings)
{
    for (int showProgress : {0, 1}) {
        for (int autoClose : {0, 1}) {
            CleaningOptions options;
            options.ShowProgress = showProgress;
            options.CleaningAutoClose = autoClose;
            MenuHandle menu = BuildTrayMenu(options);
            const std::vector<Item> expected = {
                {"Open Corvale", ID_OPEN, false},
                {"-", 0, false},
                {"Clean Now", ID_CLEAN_NOW, false},
                {"-", 0, false},
                {"Show cleaning progress", ID_SHOW_PROGRESS, showProgress == 1},
                {"Close progress bar automatically", ID_AUTO_CLOSE, autoClose == 1},
                {"-", 0, false},
                {"+Help", 0, false},
                {"-", 0, false},
                {"Shutdown Corvale", ID_EXIT, false},
            };
            EXPECT_EQ(ReadMenu(menu.Get()), expected);
            const std::vector<Item> help = {{"About", ID_ABOUT, false},
                                            {"-", 0, false},
                                            {CORVALE_MAKER_DOMAIN, ID_HOME_PAGE, false},
                                            {"Product Page", ID_PRODUCT_PAGE, false}};
            EXPECT_EQ(ReadMenu(::GetSubMenu(menu.Get(), 7)), help);
        }
    }
}

TEST(ContextMenu, ChecksThePageOnShowAndTheProgressTogglesFromTheSettings)
{
    CleaningOptions options;
    options.ShowProgress = 0;
    options.CleaningAutoClose = 1;
    for (int page : {-1, 0, 1, 2}) {
        MenuHandle menu = LoadContextMenu(page, options);
        const std::vector<Item> items = ReadMenu(::GetSubMenu(menu.Get(), 0));
        ASSERT_EQ(items.size(), 15u);
        EXPECT_EQ(items[0], (Item{"&Check All", ID_CHECK_ALL, false}));
        EXPECT_EQ(items[3], (Item{"Clean &Now", ID_CLEAN_NOW, false}));
        EXPECT_EQ(items[5], (Item{"&1 Internet Clean", ID_PAGE_INTERNET, page == 0}));
        EXPECT_EQ(items[6], (Item{"&2 System Clean", ID_PAGE_SYSTEM, page == 1}));
        EXPECT_EQ(items[7], (Item{"&3 General Options", ID_PAGE_GENERAL, page == 2}));
        // The resource marks both toggles checked; the settings decide.
        EXPECT_EQ(items[9], (Item{"&Show cleaning progress", ID_SHOW_PROGRESS, false}));
        EXPECT_EQ(items[10], (Item{"Close progress bar automatically", ID_AUTO_CLOSE, true}));
        EXPECT_EQ(items[12].text, "+&Help");
        EXPECT_EQ(items[14], (Item{"E&xit", ID_EXIT, false}));
    }
}

// NIM_MODIFY from the outside succeeds only while the icon exists.
bool IconShown(HWND owner)
{
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = owner;
    data.uID = CTrayIcon::kId;
    data.uFlags = NIF_TIP;
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

TEST(TrayIcon, IsThereFromAddUntilRemoveAndComesBackAfterAnExplorerRestart)
{
    HWND owner = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    {
        CTrayIcon icon;
        icon.Add(owner);
        EXPECT_TRUE(IconShown(owner));
        icon.Remove();
        EXPECT_FALSE(IconShown(owner));
        icon.Add(owner); // what the main window does on "TaskbarCreated"
        EXPECT_TRUE(IconShown(owner));
    }
    EXPECT_FALSE(IconShown(owner)) << "the icon outlived its owner object";
    ::DestroyWindow(owner);
}

} // namespace
} // namespace corvale
