// The option pages on real windows: every control where it belongs, the focus and the
// keyboard, the commits of the check boxes and of the schedule, the timers and the hot
// key re-armed only when their option or value changed, a commit made while the window
// is hidden, and no object left behind by page switches.
#include "TestPageHost.h"
#include "support/GdiCount.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace corvale {
namespace {

using test::TestPageHost;

enum class Kind { Option, Edit, HotKey, Push };

// One control in creation order; an option's label follows its box.
struct Control {
    Kind kind;
    UINT id;
    const char* text;
    DWORD style;
    RECT rect;
    RECT label;
};

constexpr DWORD kBox = 0x50010003;
constexpr DWORD kEdit = 0x50810000;

const std::vector<Control> kPages[] = {
    {{Kind::Option, 11, "Internet Explorer Temp Files", kBox, {31, 146, 43, 158}, {45, 145, 300, 158}},
     {Kind::Option, 12, "Internet Explorer History", kBox, {31, 165, 43, 177}, {45, 164, 300, 177}},
     {Kind::Option, 13, "Internet Explorer Address Bar", kBox, {31, 183, 43, 195}, {45, 182, 300, 195}},
     {Kind::Option, 15, "Clean Internet Temp Files when IE closes", kBox, {31, 202, 43, 214}, {45, 201, 300, 214}},
     {Kind::Option,
      14,
      "Clean Internet Explorer Cookies------------------>>",
      kBox,
      {31, 221, 43, 233},
      {45, 220, 300, 233}},
     {Kind::Push, 32771, "Except Those Selected", 0x50010000, {272, 216, 437, 241}, {}}},
    {{Kind::Option, 11, "Search History", kBox, {31, 146, 43, 158}, {45, 145, 300, 158}},
     {Kind::Option, 12, "Recent Docs History", kBox, {31, 165, 43, 177}, {45, 164, 300, 177}},
     {Kind::Option, 13, "Scandisk Files", kBox, {31, 183, 43, 195}, {45, 182, 300, 195}},
     {Kind::Option, 14, "Recycle Bin", kBox, {31, 260, 43, 272}, {45, 259, 300, 272}},
     {Kind::Option, 15, "Clipboard Memory", kBox, {31, 203, 43, 215}, {45, 202, 300, 215}},
     {Kind::Option, 16, "Download Program Files Directory", kBox, {31, 241, 43, 253}, {45, 240, 300, 253}},
     {Kind::Option, 17, "Temporary Files Directory", kBox, {31, 222, 43, 234}, {45, 221, 300, 234}},
     {Kind::Option, 18, "Start/Run History", kBox, {269, 146, 281, 158}, {283, 145, 400, 158}},
     {Kind::Option, 19, "Clean Swap File on Shutdown", kBox, {269, 165, 281, 177}, {283, 164, 450, 177}},
     {Kind::Option, 20, "Recent Network Drive List", kBox, {269, 183, 281, 195}, {283, 182, 450, 195}},
     {Kind::Option, 21, "Remove Recent Docs History", kBox, {269, 201, 281, 213}, {283, 200, 450, 213}},
     {Kind::Push, 32782, "", 0x50010340, {8, 255, 28, 275}, {}}},
    {{Kind::Option, 11, "Windows Logoff", kBox, {31, 146, 43, 158}, {45, 145, 300, 158}},
     {Kind::Option, 12, "Windows Restart\\Shutdown", kBox, {31, 165, 43, 177}, {45, 164, 300, 177}},
     {Kind::Option, 13, "Every time Corvale Starts", kBox, {31, 184, 43, 196}, {45, 183, 300, 196}},
     {Kind::Option, 14, "Every time Corvale Closes", kBox, {31, 203, 43, 216}, {45, 202, 300, 216}},
     {Kind::Option, 15, "Clean every             minutes", kBox, {31, 222, 43, 235}, {45, 221, 300, 235}},
     {Kind::Edit, 16, "25", kEdit, {112, 220, 138, 238}, {}},
     {Kind::Option, 17, "When pressing HotKey [may be changed] --->>", kBox, {31, 241, 43, 253}, {45, 240, 400, 253}},
     {Kind::HotKey, 18, "", 0x50010000, {280, 238, 378, 259}, {}},
     {Kind::Option, 19, "Every day at", kBox, {31, 261, 43, 273}, {45, 260, 400, 273}},
     {Kind::Edit, 20, "09:05", kEdit | ES_AUTOHSCROLL, {112, 259, 155, 277}, {}}},
};
const int kFirstFlag[] = {0, 5, 16};

std::string Text(HWND hwnd)
{
    char text[128] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND hwnd)
{
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

void ExpectWindow(HWND hwnd, HWND parent, UINT id, const std::string& text, DWORD style, const RECT& rect)
{
    ASSERT_NE(nullptr, hwnd) << id;
    RECT actual{};
    ::GetWindowRect(hwnd, &actual);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(parent, ::GetParent(hwnd));
    EXPECT_EQ(id, static_cast<UINT>(::GetDlgCtrlID(hwnd)));
    EXPECT_EQ(text, Text(hwnd));
    // Wine's edit takes WS_BORDER off its style and draws the border itself.
    const DWORD actualStyle = ::GetWindowLongA(hwnd, GWL_STYLE) & ~WS_CLIPSIBLINGS;
    const bool edit = ClassOf(hwnd) == "Edit";
    EXPECT_EQ(style, edit ? actualStyle | WS_BORDER : actualStyle);
    if (edit) {
        ::UpdateWindow(hwnd);
        HDC dc = ::GetWindowDC(hwnd);
        EXPECT_NE(RGB(255, 255, 255), ::GetPixel(dc, 0, 0)) << "the border";
        ::ReleaseDC(hwnd, dc);
    }
    EXPECT_TRUE(::EqualRect(&rect, &actual))
        << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND Item(TestPageHost& host, UINT id)
{
    return ::GetDlgItem(host.m_picture, static_cast<int>(id));
}

bool Checked(TestPageHost& host, UINT id)
{
    return ::SendMessageA(Item(host, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(TestPageHost& host, UINT id)
{
    ::SendMessageA(Item(host, id), BM_CLICK, 0, 0);
}

// Types into the time box as the keyboard does: a digit at a position, or Delete ('_').
void TypeTime(TestPageHost& host, const std::string& digits)
{
    HWND time = Item(host, 20);
    const int positions[] = {0, 1, 3, 4};
    for (int i = 0; i < 4; ++i) {
        ::SendMessageA(time, EM_SETSEL, positions[i], positions[i]);
        const WPARAM key = digits[i] == '_' ? VK_DELETE : static_cast<WPARAM>(digits[i]);
        ::SendMessageA(time, WM_KEYDOWN, key, 0);
        if (digits[i] != '_')
            ::SendMessageA(time, WM_CHAR, key, 0);
    }
}

// A real key stroke, through the queue and the dialog keyboard interface.
void Press(WORD key)
{
    INPUT input[2] = {};
    for (INPUT& stroke : input) {
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = key;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    EXPECT_EQ(2u, ::SendInput(2, input, sizeof(INPUT)));
    test::PumpFor(30);
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
    HWND font = reinterpret_cast<HWND>(m_host.ControlFont());
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        m_host.m_pages.ShowPage(page);
        ASSERT_EQ(page, m_host.m_pages.CurrentPage());
        EXPECT_EQ(468, m_host.m_picture.GetClientRect().right);
        EXPECT_EQ(344, m_host.m_picture.GetClientRect().bottom);
        const std::vector<HWND> onPicture = Children(m_host.m_picture);
        std::vector<HWND> onHost = Children(m_host);
        onHost.erase(std::find(onHost.begin(), onHost.end(), m_host.m_picture));
        std::size_t next = 0;
        int option = 0;
        for (const Control& c : kPages[page]) {
            SCOPED_TRACE(c.id);
            if (c.kind == Kind::Push) {
                ASSERT_EQ(1u, onHost.size());
                ExpectWindow(onHost[0], m_host, c.id, c.text, c.style, c.rect);
                continue;
            }
            ASSERT_LT(next, onPicture.size());
            HWND hwnd = onPicture[next++];
            if (c.kind == Kind::Option) {
                ExpectWindow(hwnd, m_host.m_picture, c.id, "S", c.style, c.rect);
                EXPECT_EQ(options.OptionFlags[kFirstFlag[page] + option++], Checked(m_host, c.id));
                ASSERT_LT(next, onPicture.size());
                ExpectWindow(onPicture[next++], m_host.m_picture, 0xFFFF, c.text, WS_CHILD | WS_VISIBLE, c.label);
                continue;
            }
            ExpectWindow(hwnd, m_host.m_picture, c.id, c.text, c.style, c.rect);
            EXPECT_EQ(font, reinterpret_cast<HWND>(::SendMessageA(hwnd, WM_GETFONT, 0, 0)));
        }
        EXPECT_EQ(next, onPicture.size());
        if (page == 2) {
            EXPECT_EQ("msctls_hotkey32", ClassOf(Item(m_host, 18)));
            EXPECT_EQ(0x0541, ::SendMessageA(Item(m_host, 18), HKM_GETHOTKEY, 0, 0));
            continue;
        }
        // The push button's command reaches the host; the icon button shows the 16 x 16 icon.
        EXPECT_EQ(font, reinterpret_cast<HWND>(::SendMessageA(onHost[0], WM_GETFONT, 0, 0)));
        ::SendMessageA(onHost[0], BM_CLICK, 0, 0);
        ASSERT_FALSE(m_host.m_commands.empty());
        EXPECT_EQ(kPages[page].back().id, m_host.m_commands.back());
        if (page == 1) {
            ICONINFO info{};
            ASSERT_TRUE(
                ::GetIconInfo(reinterpret_cast<HICON>(::SendMessageA(onHost[0], BM_GETIMAGE, IMAGE_ICON, 0)), &info));
            BITMAP mask{};
            ::GetObjectA(info.hbmMask, sizeof mask, &mask);
            EXPECT_EQ(16, mask.bmWidth);
            ::DeleteObject(info.hbmMask);
            ::DeleteObject(info.hbmColor);
        }
    }
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
        SCOPED_TRACE(page);
        m_host.m_pages.ShowPage(page);
        std::vector<UINT> visited{static_cast<UINT>(::GetDlgCtrlID(::GetFocus()))};
        while (visited.size() < tabOrder[page].size()) {
            Press(VK_TAB);
            visited.push_back(static_cast<UINT>(::GetDlgCtrlID(::GetFocus())));
        }
        EXPECT_EQ(tabOrder[page], visited);
    }
    ASSERT_FALSE(Checked(m_host, 11));
    Press(VK_SPACE);
    EXPECT_TRUE(Checked(m_host, 11));
}

TEST_F(OptionPagesTest, CheckAllOrUncheckAllThenASwitchStoresThePage)
{
    struct Case {
        int page;
        int state;
        std::uint32_t stored;
    };
    for (const Case c : {Case{0, 1, 0x1F}, Case{1, 1, 0x7FF}, Case{2, 1, 0x7F}, Case{1, 0, 0}, Case{0, 0, 0}}) {
        m_host.m_pages.ShowPage(c.page);
        m_host.m_pages.SetAllChecks(c.state);
        EXPECT_EQ(c.state, Checked(m_host, 11)) << "at once on the page";
        m_host.m_pages.ShowPage((c.page + 1) % 3);
        EXPECT_EQ(c.stored, PackPage(m_host.m_options, kOptionPages[c.page])) << c.page;
    }
    // Clean Now reads the boxes without rebuilding the page.
    m_host.m_pages.ShowPage(1);
    HWND box = Item(m_host, 14);
    Click(m_host, 14);
    m_host.m_pages.ReadChecks();
    EXPECT_EQ(1, m_host.m_options.OptionFlags[Option::RecycleBin]);
    EXPECT_EQ(box, Item(m_host, 14));
}

TEST_F(OptionPagesTest, ScheduleCommitChecksIntervalAndTime)
{
    struct Case {
        const char* interval;
        const char* time;
        int committedInterval;
        int committedTime;
        const char* shownTime;
    };
    const Case cases[] = {
        {"0", "2359", 10, 1439, "23:59"},  {"1000", "2400", 10, 720, "12:00"}, {"abc", "1260", 10, 720, "12:00"},
        {"", "0000", 10, 0, "00:00"},      {"999", "1_30", 999, 720, "12:00"}, {"15abc", "0905", 15, 545, "09:05"},
        {" 15", "____", 15, 720, "12:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        m_host.m_pages.ShowPage(2);
        ::SetWindowTextA(Item(m_host, 16), c.interval);
        TypeTime(m_host, c.time);
        m_host.m_pages.ShowPage(2);
        EXPECT_EQ(c.committedInterval, m_host.m_options.Interval);
        EXPECT_EQ(c.committedTime, m_host.m_options.Time);
        // The page built again shows what was committed.
        EXPECT_EQ(std::to_string(c.committedInterval), Text(Item(m_host, 16)));
        EXPECT_EQ(c.shownTime, Text(Item(m_host, 20)));
    }
    m_host.m_pages.ShowPage(-1);
    m_host.m_options.Time = 1500;
    m_host.m_pages.ShowPage(2);
    EXPECT_EQ("25:00", Text(Item(m_host, 20)));
    m_host.m_pages.ShowPage(0);
    EXPECT_EQ(720, m_host.m_options.Time);
}

// Whether a window other than the host could register the key now.
bool KeyFree(std::uint32_t modifiers, UINT key)
{
    test::HostWindow other;
    other.Create(RECT{0, 0, 1, 1});
    if (!::RegisterHotKey(other, 0x77, modifiers, key))
        return false;
    ::UnregisterHotKey(other, 0x77);
    return true;
}

enum class Timer { Untouched, Armed, None };

// A running timer is swapped for a 1 ms one of the same id first: a commit that leaves
// it alone shows by its ticks, one that arms it anew by the lack of them.
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
    struct Case {
        const char* change;
        std::function<void(TestPageHost&)> edit;
        Timer interval;
        Timer daily;
        bool altF7Held;
        int onHotKey;
    };
    const auto none = [](TestPageHost&) {};
    const auto click = [](UINT id) { return [id](TestPageHost& host) { Click(host, id); }; };
    const auto key = [](WPARAM word) {
        return [word](TestPageHost& host) { ::SendMessageA(Item(host, 18), HKM_SETHOTKEY, word, 0); };
    };
    const Case cases[] = {
        {"nothing", none, Timer::Untouched, Timer::Untouched, false, 1},
        {"interval", [](TestPageHost& host) { ::SetWindowTextA(Item(host, 16), "15"); }, Timer::Armed, Timer::Untouched,
         false, 1},
        {"interval off", click(15), Timer::None, Timer::Untouched, false, 1},
        {"time", [](TestPageHost& host) { TypeTime(host, "2359"); }, Timer::Untouched, Timer::Armed, false, 1},
        {"daily off", click(19), Timer::Untouched, Timer::None, false, 1},
        {"key", key(0x0476), Timer::Untouched, Timer::Untouched, true, 1},
        {"hot key off", click(17), Timer::Untouched, Timer::Untouched, false, 0},
        {"key emptied", key(0), Timer::Untouched, Timer::Untouched, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        TestPageHost host;
        ASSERT_TRUE(host.Create());
        auto& flags = host.m_options.OptionFlags;
        flags[Option::EveryInterval] = flags[Option::DailyAt] = flags[Option::OnHotKey] = 1;
        host.m_triggers.ArmAtStartup(host.m_options);
        ASSERT_FALSE(KeyFree(MOD_CONTROL, VK_NUMPAD6));
        host.m_pages.ShowPage(2);
        ::SetTimer(host, CScheduleTriggers::kIntervalTimer, 1, nullptr);
        ::SetTimer(host, CScheduleTriggers::kDailyTimer, 1, nullptr);
        ::UnregisterHotKey(host, host.m_triggers.HotKeyAtom());
        c.edit(host);
        host.m_pages.ShowPage(2);
        EXPECT_EQ(c.interval, TimerAfter(host, CScheduleTriggers::kIntervalTimer));
        EXPECT_EQ(c.daily, TimerAfter(host, CScheduleTriggers::kDailyTimer));
        EXPECT_TRUE(KeyFree(MOD_CONTROL, VK_NUMPAD6)) << "an unchanged key is not registered again";
        EXPECT_EQ(c.altF7Held, !KeyFree(MOD_ALT, VK_F7));
        EXPECT_EQ(c.onHotKey, flags[Option::OnHotKey]);
    }
    EXPECT_EQ(0, ::GlobalFindAtomA(CScheduleTriggers::kHotKeyAtomName));
}

// WM_CLOSE hides the main window before it commits: no message, no window comes up and
// the hidden window is not activated, and every value ends normalised.
TEST(OptionPagesSchedule, HiddenCommitOfBadValuesAndAKeyHeldElsewhere)
{
    test::HostWindow other;
    ASSERT_TRUE(other.Create(RECT{0, 0, 1, 1}));
    ASSERT_TRUE(::RegisterHotKey(other, 0x78, MOD_ALT, VK_F7));
    TestPageHost host;
    ASSERT_TRUE(host.Create(false));
    host.m_options.OptionFlags[Option::OnHotKey] = 1;
    host.m_pages.ShowPage(2);
    EXPECT_NE(host.PageHostWindow(), ::GetFocus());
    ::SetWindowTextA(Item(host, 16), "abc");
    TypeTime(host, "1_30");
    ::SendMessageA(Item(host, 18), HKM_SETHOTKEY, 0x0476, 0);
    host.m_pages.ShowPage(2);
    EXPECT_EQ(10, host.m_options.Interval);
    EXPECT_EQ(720, host.m_options.Time);
    EXPECT_EQ(0, host.m_options.OptionFlags[Option::OnHotKey]);
    EXPECT_EQ(0x00040076u, host.m_options.HotKeyA);
    EXPECT_FALSE(Checked(host, 17));
    EXPECT_FALSE(::IsWindowVisible(host));
    EXPECT_NE(static_cast<HWND>(host), ::GetActiveWindow());
    EXPECT_EQ(nullptr, ::GetWindow(host, GW_ENABLEDPOPUP));

    // Ticked again once the key is free: registered, and nothing of the failed attempt
    // is left when the key changes again and the option goes off.
    ASSERT_TRUE(::UnregisterHotKey(other, 0x78));
    Click(host, 17);
    host.m_pages.ShowPage(2);
    EXPECT_EQ(1, host.m_options.OptionFlags[Option::OnHotKey]);
    EXPECT_FALSE(KeyFree(MOD_ALT, VK_F7));
    ::SendMessageA(Item(host, 18), HKM_SETHOTKEY, 0x0266, 0);
    host.m_pages.ShowPage(2);
    EXPECT_TRUE(KeyFree(MOD_ALT, VK_F7));
    EXPECT_FALSE(KeyFree(MOD_CONTROL, VK_NUMPAD6));
    Click(host, 17);
    host.m_pages.ShowPage(2);
    EXPECT_TRUE(KeyFree(MOD_CONTROL, VK_NUMPAD6));
    EXPECT_EQ(0, ::GlobalFindAtomA(CScheduleTriggers::kHotKeyAtomName));
}

int WindowCount(HWND root)
{
    int count = 1;
    for (HWND child = ::GetWindow(root, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        count += WindowCount(child);
    return count;
}

TEST_F(OptionPagesTest, FiftyPageSwitchesLeaveNoObjectBehind)
{
    for (int page = 0; page < 3; ++page)
        m_host.m_pages.ShowPage(page);
    test::PumpFor(50);
    const int gdi = test::CountGdiObjects();
    const DWORD user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    const int windows = WindowCount(m_host);
    for (int i = 0; i < 50; ++i) {
        m_host.m_pages.ShowPage(i % 3);
        ::RedrawWindow(m_host, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    m_host.m_pages.ShowPage(2);
    test::PumpFor(50);
    EXPECT_EQ(gdi, test::CountGdiObjects());
    EXPECT_EQ(user, ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
    EXPECT_EQ(windows, WindowCount(m_host));
}

} // namespace
} // namespace corvale
