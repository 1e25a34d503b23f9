// The standard-control wrappers on real controls, and the message pump.
#include "platform/Controls.h"
#include "platform/MessagePump.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

const RECT kRect{0, 0, 200, 100};

class Host : public CStatic {
public:
    int pings = 0;
    bool relayed = false;

    bool PreTranslateMessage(MSG* msg) override
    {
        relayed = relayed || msg->message == WM_APP + 5;
        return msg->message == WM_APP + 6; // swallowed before dispatch
    }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_APP + 5 || msg == WM_APP + 6) {
            ++pings;
            return 0;
        }
        return CStatic::OnMessage(msg, wParam, lParam);
    }
};

TEST(Controls, HotKeyControlRoundTripsKeyAndModifiers)
{
    CStatic parent;
    ASSERT_TRUE(parent.Create("", WS_POPUP, kRect, nullptr, 0));
    CHotKeyCtrl hotKey;
    ASSERT_TRUE(hotKey.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, parent, 18));
    hotKey.SetHotKey(VK_NUMPAD6, HOTKEYF_CONTROL);
    WORD key = 0;
    WORD modifiers = 0;
    hotKey.GetHotKey(key, modifiers);
    EXPECT_EQ(key, VK_NUMPAD6);
    EXPECT_EQ(modifiers, HOTKEYF_CONTROL);
}

TEST(Controls, ListBoxFindsByPrefixIgnoringCaseAndReadsItemsBack)
{
    CStatic parent;
    ASSERT_TRUE(parent.Create("", WS_POPUP, kRect, nullptr, 0));
    CListBox list;
    ASSERT_TRUE(list.CreateEx(0, "LISTBOX", "", WS_CHILD | LBS_SORT | LBS_EXTENDEDSEL, kRect, parent, 3));
    list.AddString("google");
    list.AddString("Beta");
    list.AddString("alpha");
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetText(0), "alpha");
    EXPECT_EQ(list.GetText(1), "Beta");
    EXPECT_EQ(list.FindString(-1, "GO"), 2);
    EXPECT_EQ(list.FindString(-1, "gone"), LB_ERR);
    EXPECT_EQ(list.GetText(7), "");
    list.DeleteString(0);
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(Controls, CheckBoxAndEditWrappers)
{
    CStatic parent;
    ASSERT_TRUE(parent.Create("", WS_POPUP, kRect, nullptr, 0));
    CButton box;
    ASSERT_TRUE(box.Create("S", WS_CHILD | BS_AUTOCHECKBOX, RECT{0, 0, 12, 12}, parent, 11));
    EXPECT_EQ(box.GetCheck(), BST_UNCHECKED);
    box.SetCheck(BST_CHECKED);
    EXPECT_EQ(box.GetCheck(), BST_CHECKED);

    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_BORDER, RECT{0, 20, 100, 40}, parent, 16));
    edit.SetText("12:34");
    EXPECT_EQ(edit.GetText(), "12:34");
    edit.SetSel(2, 4);
    int start = 0;
    int end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 4);
}

TEST(Controls, ToolTipTakesRectangularTools)
{
    CStatic owner;
    ASSERT_TRUE(owner.Create("", WS_POPUP, kRect, nullptr, 0));
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(owner));
    EXPECT_TRUE(tips.AddTool(owner, 1, RECT{386, 11, 406, 31}, "Help"));
    EXPECT_TRUE(tips.AddTool(owner, 2, RECT{411, 11, 431, 31}, "Minimize Corvale Window"));
    EXPECT_EQ(tips.SendMessage(TTM_GETTOOLCOUNT), 2);
}

TEST(MessagePump, PendingMessagesArePreTranslatedThenDispatched)
{
    Host host;
    ASSERT_TRUE(host.Create("", WS_POPUP, kRect, nullptr, 0));
    host.PostMessage(WM_APP + 5);
    host.PostMessage(WM_APP + 6);
    host.PostMessage(WM_APP + 5);
    PumpPendingMessages();
    EXPECT_TRUE(host.relayed);
    EXPECT_EQ(host.pings, 2) << "the message its pre-translation took is not dispatched";
    MSG left{};
    EXPECT_FALSE(::PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(MessagePump, QuitStopsThePumpAndStaysQueuedForTheOuterLoop)
{
    Host host;
    ASSERT_TRUE(host.Create("", WS_POPUP, kRect, nullptr, 0));
    ::PostQuitMessage(3);
    PumpPendingMessages();
    EXPECT_FALSE(PumpMessage());
    MSG quit{};
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

} // namespace
} // namespace corvale
