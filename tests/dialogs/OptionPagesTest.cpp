// The option pages on real windows: every control where it belongs, the focus and the
// keys, the commits, the timers and the hot key re-armed only on a change, a commit
// while the window is hidden, and no object left behind by page switches.
#include "TestPageHost.h"
#include "support/GdiCount.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace corvale {
namespace {

using test::HotKeyFree;
using test::TestPageHost;

// One control in creation order; an option (a box with a label) has a label rectangle.
struct Control {
    UINT id;
    const char* text;
    DWORD style;
    RECT rect;
    RECT label;
};
constexpr DWORD kBox = 0x50010003;
constexpr DWORD kEdit = 0x50810000;
constexpr RECT kNone{};

const std::vector<Control> kPages[] = {
    {{11, "Internet Explorer Temp Files", kBox, {31, 146, 43, 158}, {45, 145, 300, 158}},
     {12, "Internet Explorer History", kBox, {31, 165, 43, 177}, {45, 164, 300, 177}},
     {13, "Internet Explorer Address Bar", kBox, {31, 183, 43, 195}, {45, 182, 300, 195}},
     {15, "Clean Internet Temp Files when IE closes", kBox, {31, 202, 43, 214}, {45, 201, 300, 214}},
     {14, "Clean Internet Explorer Cookies------------------>>", kBox, {31, 221, 43, 233}, {45, 220, 300, 233}},
     {32771, "Except Those Selected", 0x50010000, {272, 216, 437, 241}, kNone}},
    {{11, "Search History", kBox, {31, 146, 43, 158}, {45, 145, 300, 158}},
     {12, "Recent Docs History", kBox, {31, 165, 43, 177}, {45, 164, 300, 177}},
     {13, "Scandisk Files", kBox, {31, 183, 43, 195}, {45, 182, 300, 195}},
     {14, "Recycle Bin", kBox, {31, 260, 43, 272}, {45, 259, 300, 272}},
     {15, "Clipboard Memory", kBox, {31, 203, 43, 215}, {45, 202, 300, 215}},
     {16, "Download Program Files Directory", kBox, {31, 241, 43, 253}, {45, 240, 300, 253}},
     {17, "Temporary Files Directory", kBox, {31, 222, 43, 234}, {45, 221, 300, 234}},
     {18, "Start/Run History", kBox, {269, 146, 281, 158}, {283, 145, 400, 158}},
     {19, "Clean Swap File on Shutdown", kBox, {269, 165, 281, 177}, {283, 164, 450, 177}},
     {20, "Recent Network Drive List", kBox, {269, 183, 281, 195}, {283, 182, 450, 195}},
     {21, "Remove Recent Docs History", kBox, {269, 201, 281, 213}, {283, 200, 450, 213}},
     {32782, "", 0x50010340, {8, 255, 28, 275}, kNone}},
    {{11, "Windows Logoff", kBox, {31, 146, 43, 158}, {45, 145, 300, 158}},
     {12, "Windows Restart\\Shutdown", kBox, {31, 165, 43, 177}, {45, 164, 300, 177}},
     {13, "Every time Corvale Starts", kBox, {31, 184, 43, 196}, {45, 183, 300, 196}},
     {14, "Every time Corvale Closes", kBox, {31, 203, 43, 216}, {45, 202, 300, 216}},
     {15, "Clean every             minutes", kBox, {31, 222, 43, 235}, {45, 221, 300, 235}},
     {16, "25", kEdit, {112, 220, 138, 238}, kNone},
     {17, "When pressing HotKey [may be changed] --->>", kBox, {31, 241, 43, 253}, {45, 240, 400, 253}},
     {18, "", 0x50010000, {280, 238, 378, 259}, kNone},
     {19, "Every day at", kBox, {31, 261, 43, 273}, {45, 260, 400, 273}},
     {20, "09:05", kEdit | ES_AUTOHSCROLL, {112, 259, 155, 277}, kNone}},
};

std::string Text(HWND hwnd)
{
    char text[128] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// The window against its row: id, text, style and place in its parent.
void ExpectControl(HWND hwnd, UINT id, const char* text, DWORD style, RECT rect)
{
    RECT actual{};
    ::GetWindowRect(hwnd, &actual);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_TRUE(::EqualRect(&rect, &actual)) << id << ": " << actual.left << "," << actual.top;
    EXPECT_EQ(id, static_cast<UINT>(::GetDlgCtrlID(hwnd)));
    EXPECT_EQ(text, Text(hwnd));
    DWORD actualStyle = ::GetWindowLongA(hwnd, GWL_STYLE) & ~WS_CLIPSIBLINGS;
    char name[8] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (std::string(name) == "Edit") {
        // Wine's edit takes WS_BORDER off its style and draws the border itself.
        HDC dc = ::GetWindowDC(hwnd);
        actualStyle |= ::GetPixel(dc, 0, 0) != RGB(255, 255, 255) ? WS_BORDER : 0;
        ::ReleaseDC(hwnd, dc);
    }
    EXPECT_EQ(style, actualStyle) << id;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

bool Checked(TestPageHost& host, UINT id)
{
    return ::SendMessageA(host.Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Types into the time box as the keyboard does: a digit at each position, Delete for '_'.
void TypeTime(TestPageHost& host, const std::string& digits)
{
    const int positions[] = {0, 1, 3, 4};
    for (int i = 0; i < 4; ++i) {
        ::SendMessageA(host.Item(20), EM_SETSEL, positions[i], positions[i]);
        const WPARAM key = digits[i] == '_' ? VK_DELETE : static_cast<WPARAM>(digits[i]);
        ::SendMessageA(host.Item(20), WM_KEYDOWN, key, 0);
        if (digits[i] != '_')
            ::SendMessageA(host.Item(20), WM_CHAR, key, 0);
    }
}

class OptionPagesTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_host.Create()); }
    TestPageHost m_host;
};

TEST_F(OptionPagesTest, EveryControlAtItsPlaceWithItsIdTextStyleAndFont)
{
    CleaningOptions& options = m_host.m_options;
    for (int i = 0; i < kOptionCount; ++i)
        options.OptionFlags[i] = i % 3 == 1;
    options.Interval = 25;
    options.Time = 545;
    options.HotKeyA = 0x00050041;
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        m_host.m_pages.ShowPage(page);
        EXPECT_EQ(page, m_host.m_pages.CurrentPage());
        EXPECT_EQ(344, m_host.m_picture.GetClientRect().bottom);
        const std::vector<HWND> onPicture = Children(m_host.m_picture);
        const std::vector<HWND> onHost = Children(m_host);
        std::size_t next = 0;
        int flag = kOptionPages[page].firstFlag;
        for (const Control& c : kPages[page]) {
            const bool pushButton = c.id > 30000;
            HWND hwnd = pushButton ? onHost.back() : onPicture.at(next++);
            const bool option = c.style == kBox;
            ExpectControl(hwnd, c.id, option ? "S" : c.text, c.style, c.rect);
            if (option) {
                EXPECT_EQ(options.OptionFlags[flag++], Checked(m_host, c.id));
                ExpectControl(onPicture.at(next++), 0xFFFF, c.text, WS_CHILD | WS_VISIBLE, c.label);
            } else {
                EXPECT_EQ(m_host.m_font.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(hwnd, WM_GETFONT, 0, 0)));
            }
            if (pushButton) { // its command reaches the host
                ::SendMessageA(hwnd, BM_CLICK, 0, 0);
                EXPECT_EQ(c.id, m_host.m_commands.back());
            }
        }
        EXPECT_EQ(next, onPicture.size());
        EXPECT_EQ(page == 2 ? 1u : 2u, onHost.size());
    }
    EXPECT_EQ(0x0541, ::SendMessageA(m_host.Item(18), HKM_GETHOTKEY, 0, 0));
    m_host.m_pages.ShowPage(1);
    EXPECT_NE(0, ::SendMessageA(::GetDlgItem(m_host, 32782), BM_GETIMAGE, IMAGE_ICON, 0));
    m_host.m_pages.ShowPage(-1);
    EXPECT_EQ(-1, m_host.m_pages.CurrentPage());
    EXPECT_EQ(1u, Children(m_host).size());
    EXPECT_TRUE(Children(m_host.m_picture).empty());
}

TEST_F(OptionPagesTest, FirstOptionFocusedTabWalksThePageSpaceTicks)
{
    const std::vector<UINT> tabOrder[] = {
        {11, 12, 13, 15, 14, 32771, 11},
        {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 32782, 11},
        {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 11},
    };
    for (int page = 0; page < 3; ++page) {
        m_host.m_pages.ShowPage(page);
        // The order Tab follows: the dialog keyboard interface asks GetNextDlgTabItem.
        HWND at = ::GetFocus();
        std::vector<UINT> visited{static_cast<UINT>(::GetDlgCtrlID(at))};
        while (visited.size() < tabOrder[page].size()) {
            at = ::GetNextDlgTabItem(m_host, at, FALSE);
            visited.push_back(static_cast<UINT>(::GetDlgCtrlID(at)));
        }
        EXPECT_EQ(tabOrder[page], visited) << page;
    }
    // Space through the queue and the host's keyboard handling, as a key stroke comes.
    ASSERT_FALSE(Checked(m_host, 11));
    ::PostMessageA(m_host.Item(11), WM_KEYDOWN, VK_SPACE, 0x00390001);
    ::PostMessageA(m_host.Item(11), WM_KEYUP, VK_SPACE, 0xC0390001);
    test::PumpFor(30);
    EXPECT_TRUE(Checked(m_host, 11));
}

TEST_F(OptionPagesTest, CheckAllOrUncheckAllThenASwitchStoresThePage)
{
    const std::tuple<int, int, std::uint32_t> cases[] = {{0, 1, 0x1F}, {1, 1, 0x7FF}, {2, 1, 0x7F}, {1, 0, 0}};
    for (const auto& [page, state, stored] : cases) {
        m_host.m_pages.ShowPage(page);
        m_host.m_pages.SetAllChecks(state);
        m_host.m_pages.ShowPage((page + 1) % 3);
        EXPECT_EQ(stored, PackPage(m_host.m_options, kOptionPages[page])) << page;
    }
    // Clean Now reads the boxes and leaves the page as it is.
    m_host.m_pages.ShowPage(1);
    HWND box = m_host.Item(14);
    ::SendMessageA(box, BM_CLICK, 0, 0);
    m_host.m_pages.ReadChecks();
    EXPECT_EQ(1, m_host.m_options.OptionFlags[Option::RecycleBin]);
    EXPECT_EQ(box, m_host.Item(14));
    // Boxes that went with their window have nothing to commit: the flags stay.
    m_host.m_pages.ShowPage(0);
    ::DestroyWindow(m_host.m_picture);
    m_host.m_pages.ShowPage(-1);
    EXPECT_EQ(0x1Fu, PackPage(m_host.m_options, kOptionPages[0]));
}

TEST_F(OptionPagesTest, ScheduleCommitChecksIntervalAndTime)
{
    const std::tuple<const char*, const char*, int, int, const char*> cases[] = {
        {"0", "2359", 10, 1439, "23:59"},
        {"1000", "2400", 10, 720, "12:00"},
        {"abc", "1260", 10, 720, "12:00"},
        {"", "0000", 10, 0, "00:00"},
        {"999", "1_30", 999, 720, "12:00"},
        {"15abc", "0905", 15, 545, "09:05"},
        {" 15", "____", 15, 720, "12:00"},
        {"-15", "0001", 10, 1, "00:01"},
        {"99999999999999999999", "2359", 10, 1439, "23:59"},
    };
    for (const auto& [interval, time, committedInterval, committedTime, shownTime] : cases) {
        m_host.m_pages.ShowPage(2);
        ::SetWindowTextA(m_host.Item(16), interval);
        TypeTime(m_host, time);
        m_host.m_pages.ShowPage(2);
        EXPECT_EQ(committedInterval, m_host.m_options.Interval) << interval;
        EXPECT_EQ(committedTime, m_host.m_options.Time) << time;
        // The page built again shows what was committed.
        EXPECT_EQ(std::to_string(committedInterval), Text(m_host.Item(16)));
        EXPECT_EQ(shownTime, Text(m_host.Item(20)));
    }
    m_host.m_pages.ShowPage(-1);
    m_host.m_options.Time = 1500;
    m_host.m_pages.ShowPage(2);
    EXPECT_EQ("25:00", Text(m_host.Item(20)));
    m_host.m_pages.ShowPage(0);
    EXPECT_EQ(720, m_host.m_options.Time);
}

enum class Timer { Untouched, Armed, None };

// The test swaps each running timer for a 1 ms one of the same id before the commit: a
// commit that leaves it alone shows by its ticks, one that arms it anew by their lack.
Timer TimerAfter(HWND host, UINT_PTR id)
{
    ::Sleep(30);
    MSG msg{};
    bool ticked = false;
    while (::PeekMessageA(&msg, host, WM_TIMER, WM_TIMER, PM_REMOVE))
        ticked = ticked || msg.wParam == id;
    const bool exists = ::KillTimer(host, id) != FALSE;
    return ticked ? Timer::Untouched : exists ? Timer::Armed : Timer::None;
}

TEST(OptionPagesSchedule, TimersAndHotKeyReArmedOnlyOnChange)
{
    using Edit = std::function<void(TestPageHost&)>;
    const auto click = [](UINT id) -> Edit {
        return [id](TestPageHost& h) { ::SendMessageA(h.Item(id), BM_CLICK, 0, 0); };
    };
    const auto key = [](WPARAM word) -> Edit {
        return [word](TestPageHost& h) { ::SendMessageA(h.Item(18), HKM_SETHOTKEY, word, 0); };
    };
    const std::tuple<const char*, Edit, Timer, Timer, bool, int> cases[] = {
        {"nothing", [](TestPageHost&) {}, Timer::Untouched, Timer::Untouched, false, 1},
        {"interval", [](TestPageHost& h) { ::SetWindowTextA(h.Item(16), "15"); }, Timer::Armed, Timer::Untouched, false,
         1},
        {"interval off", click(15), Timer::None, Timer::Untouched, false, 1},
        {"time", [](TestPageHost& h) { TypeTime(h, "2359"); }, Timer::Untouched, Timer::Armed, false, 1},
        {"daily off", click(19), Timer::Untouched, Timer::None, false, 1},
        {"key", key(0x0476), Timer::Untouched, Timer::Untouched, true, 1},
        {"hot key off", click(17), Timer::Untouched, Timer::Untouched, false, 0},
        {"key emptied", key(0), Timer::Untouched, Timer::Untouched, false, 1},
    };
    for (const auto& [change, edit, interval, daily, altF7Held, onHotKey] : cases) {
        SCOPED_TRACE(change);
        TestPageHost host;
        ASSERT_TRUE(host.Create());
        auto& flags = host.m_options.OptionFlags;
        flags[Option::EveryInterval] = flags[Option::DailyAt] = flags[Option::OnHotKey] = 1;
        host.m_triggers.ArmAtStartup(host.m_options);
        host.m_pages.ShowPage(2);
        ::SetTimer(host, CScheduleTriggers::kIntervalTimer, 1, nullptr);
        ::SetTimer(host, CScheduleTriggers::kDailyTimer, 1, nullptr);
        ASSERT_TRUE(::UnregisterHotKey(host, host.m_triggers.HotKeyAtom()));
        edit(host);
        host.m_pages.ShowPage(2);
        EXPECT_EQ(interval, TimerAfter(host, CScheduleTriggers::kIntervalTimer));
        EXPECT_EQ(daily, TimerAfter(host, CScheduleTriggers::kDailyTimer));
        EXPECT_TRUE(HotKeyFree(MOD_CONTROL, VK_NUMPAD6)) << "an unchanged key is not registered again";
        EXPECT_EQ(altF7Held, !HotKeyFree(MOD_ALT, VK_F7));
        EXPECT_EQ(onHotKey, flags[Option::OnHotKey]);
    }
}

// WM_CLOSE hides the main window before it commits: no window comes up, the hidden one
// is not activated, and every value ends normalised.
TEST(OptionPagesSchedule, HiddenCommitOfBadValuesAndAKeyHeldElsewhere)
{
    test::HostWindow other;
    ASSERT_TRUE(other.Create(RECT{0, 0, 1, 1}));
    ASSERT_TRUE(::RegisterHotKey(other, 0x78, MOD_ALT, VK_F7));
    TestPageHost host;
    ASSERT_TRUE(host.Create(false));
    host.m_options.OptionFlags[Option::OnHotKey] = 1;
    host.m_pages.ShowPage(2);
    ::SetWindowTextA(host.Item(16), "abc");
    TypeTime(host, "1_30");
    ::SendMessageA(host.Item(18), HKM_SETHOTKEY, 0x0476, 0);
    host.m_pages.ShowPage(2);
    EXPECT_EQ(10, host.m_options.Interval);
    EXPECT_EQ(720, host.m_options.Time);
    EXPECT_EQ(0, host.m_options.OptionFlags[Option::OnHotKey]);
    EXPECT_FALSE(Checked(host, 17));
    EXPECT_FALSE(::IsWindowVisible(host));
    EXPECT_NE(static_cast<HWND>(host), ::GetActiveWindow());
    EXPECT_EQ(nullptr, ::GetWindow(host, GW_ENABLEDPOPUP));

    // Ticked again once the key is free, then switched off: nothing is left, not even
    // the atom of the failed attempt.
    ASSERT_TRUE(::UnregisterHotKey(other, 0x78));
    for (int tick = 0; tick < 2; ++tick) {
        ::SendMessageA(host.Item(17), BM_CLICK, 0, 0);
        host.m_pages.ShowPage(2);
        EXPECT_EQ(tick == 0, !HotKeyFree(MOD_ALT, VK_F7));
    }
    EXPECT_EQ(0, ::GlobalFindAtomA(CScheduleTriggers::kHotKeyAtomName));
}

int WindowCount(HWND root)
{
    int count = 1;
    for (HWND child : Children(root))
        count += WindowCount(child);
    return count;
}

TEST_F(OptionPagesTest, FiftyPageSwitchesLeaveNoObjectBehind)
{
    const auto show = [this](int page) {
        m_host.m_pages.ShowPage(page);
        ::RedrawWindow(m_host, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    };
    // Each page once first, painted, so that what the system keeps for good is in place.
    for (int page = 0; page < 3; ++page)
        show(page);
    test::PumpFor(50);
    const int gdi = test::CountGdiObjects();
    const DWORD user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    const int windows = WindowCount(m_host);
    for (int i = 0; i < 51; ++i)
        show(i % 3);
    test::PumpFor(50);
    EXPECT_EQ(gdi, test::CountGdiObjects());
    EXPECT_EQ(user, ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
    EXPECT_EQ(windows, WindowCount(m_host));
}

} // namespace
} // namespace corvale
