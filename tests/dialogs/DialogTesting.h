#pragma once
// Shared by the dialog tests: where a window sits, a list box's items, the GDI objects
// and windows this thread holds (its USER objects: GetGuiResources is a stub under
// Wine), the pages a click opens (recorded instead of starting a browser), and a
// press-move-release.
#include "controls/TestWindows.h"
#include "dialogs/SkinnedDialog.h"
#include "support/GdiCount.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace corvale::test {

using Names = std::vector<std::string>;

inline std::string Box(int left, int top, int right, int bottom)
{
    return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
           std::to_string(bottom);
}

// In the parent's client coordinates; a top-level window gives its size.
inline std::string BoxInParent(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    if (::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)
        ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    else
        r = {0, 0, r.right - r.left, r.bottom - r.top};
    return Box(r.left, r.top, r.right, r.bottom);
}

inline Names ListItems(HWND list)
{
    Names items(static_cast<size_t>(::SendMessageA(list, LB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].resize(static_cast<size_t>(::SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1);
        items[i].resize(static_cast<size_t>(::SendMessageA(list, LB_GETTEXT, i, (LPARAM)&items[i][0])));
    }
    return items;
}

inline BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    if (!(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD))
        ::EnumChildWindows(hwnd, CountWindow, count); // which already descends every level
    return TRUE;
}

inline int CountThreadWindows()
{
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

inline Names g_openedPages;

// Pressed at (x, y), moved by (10, 7), released at (x, y): the cursor shown over (x, y)
// before the press, how far the window moved, and the pages the release opened.
struct PressResult {
    bool cursorShown;
    std::string shift;
    Names pages;
};
inline PressResult PressAndRelease(HWND window, int x, int y, const char* cursor)
{
    g_openedPages.clear();
    const PageOpener previous = ReplacePageOpener([](const char* url) { g_openedPages.push_back(url); });
    RECT before{}, after{};
    ::GetWindowRect(window, &before);
    ::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    const bool cursorShown = ::GetCursor() == ::LoadCursorA(nullptr, cursor);
    ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 10, y + 7));
    ::SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_EQ(::GetCapture(), nullptr) << "the mouse stays captured after the click at " << x << "," << y;
    ::GetWindowRect(window, &after);
    ReplacePageOpener(previous);
    return {cursorShown, Box(0, 0, after.left - before.left, after.top - before.top), g_openedPages};
}

// The GDI objects and windows after one open() (which makes and closes a window), then
// after twenty more.
template <typename Open> std::pair<std::string, std::string> ObjectsBeforeAndAfterTwenty(Open open)
{
    open();
    const std::string before = Box(0, 0, CountGdiObjects(), CountThreadWindows());
    for (int i = 0; i < 20; ++i)
        open();
    return {before, Box(0, 0, CountGdiObjects(), CountThreadWindows())};
}

// How long a showcase test holds its window for scripts/shots (CORVALE_SHOWCASE_MS).
inline void HoldForShowcase()
{
    if (const char* hold = std::getenv("CORVALE_SHOWCASE_MS"))
        PumpFor(static_cast<DWORD>(std::atoi(hold)));
}

} // namespace corvale::test
