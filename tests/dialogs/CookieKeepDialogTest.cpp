// The cookie keep-list dialog run modally on the virtual display over cookie files and a
// keep-list made in the test prefix: its controls, how the lists fill, the moves, what
// each way of closing writes, a save that fails, the keyboard, the drag strip and the
// painted areas, and its GDI and USER objects.
#include "dialogs/CookieKeepDialog.h"

#include "DialogTesting.h"
#include "resource.h"
#include "support/EngineUserState.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace corvale {
namespace {

using test::Names;
using Step = std::function<void(HWND dialog)>;

// The steps of one opening, each at its own timer tick inside the dialog's modal loop;
// once they are done the dialog is closed, so that a script that failed cannot hang.
struct Script {
    const CCookieKeepDialog& dialog;
    std::vector<Step> steps;
    size_t ran = 0;
    bool busy = false;
} * g_script;

void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_script || g_script->busy || !g_script->dialog.IsAttached())
        return;
    g_script->busy = true;
    if (g_script->ran < g_script->steps.size())
        g_script->steps[g_script->ran++](g_script->dialog);
    else
        g_script->dialog.PostMessage(WM_CLOSE);
    g_script->busy = false;
}

Names Items(HWND dialog, int list)
{
    return test::ListItems(::GetDlgItem(dialog, list));
}

void Select(HWND dialog, int list, const Names& names)
{
    for (const std::string& name : names)
        ::SendDlgItemMessageA(dialog, list, LB_SETSEL, TRUE,
                              ::SendDlgItemMessageA(dialog, list, LB_FINDSTRINGEXACT, -1, (LPARAM)name.c_str()));
}

void Press(HWND dialog, int button)
{
    ::SendDlgItemMessageA(dialog, button, BM_CLICK, 0, 0);
}

// A double click on the list's first item, as the list box sees it.
void DoubleClick(HWND dialog, int list)
{
    ::SendDlgItemMessageA(dialog, list, WM_LBUTTONDBLCLK, 0, MAKELPARAM(2, 2));
}

// A key in the control with the focus; Enter and Escape from a list, as Enter on a
// focused push button presses that button.
void Key(HWND dialog, WPARAM key)
{
    if (key != VK_TAB)
        ::SetFocus(::GetDlgItem(dialog, IDC_COOKIE_LIST));
    ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 0);
}

class CookieKeepDialogTest : public ::testing::Test {
protected:
    CookieKeepDialogTest() { m_host.Create(RECT{20, 20, 80, 60}); }

    void Cookies(const Names& files) const
    {
        for (const std::string& file : files)
            m_state.Root().File("Cookies\\" + file);
    }
    static std::string KeepListPath() { return test::SystemFolder() + "\\coockies.sav"; }
    static void KeepList(const std::string& bytes) { test::WriteFileBytes(KeepListPath(), bytes); }
    static std::optional<std::string> KeepListBytes() { return test::ReadFileBytes(KeepListPath()); }

    INT_PTR Open(std::vector<Step> steps)
    {
        CCookieKeepDialog dialog(m_host);
        Script script{dialog, std::move(steps)};
        g_script = &script;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, NextStep);
        const INT_PTR result = dialog.DoModal();
        ::KillTimer(nullptr, timer);
        g_script = nullptr;
        m_stepsRun = script.ran;
        return result;
    }

    test::ScratchUserState m_state;
    test::HostWindow m_host;
    size_t m_stepsRun = 0;
};

TEST_F(CookieKeepDialogTest, EveryControlSitsAtItsTemplatePlaceOnTheSkin)
{
    // x, y, width, height: the dialog manager converts each on its own, so the far edges
    // are not the converted template edges.
    const struct {
        int id;
        RECT units;
    } kControls[] = {{IDC_COOKIE_LIST, {9, 69, 161, 98}},
                     {IDC_KEEP_LIST, {200, 68, 150, 98}},
                     {IDC_MOVE_RIGHT, {173, 95, 20, 14}},
                     {IDC_MOVE_LEFT, {173, 111, 20, 14}},
                     {IDC_MOVE_ALL_LEFT, {173, 127, 20, 14}}};
    Open({[&](HWND dialog) {
        for (auto control : kControls) {
            ::MapDialogRect(dialog, &control.units);
            const RECT& p = control.units;
            HWND hwnd = ::GetDlgItem(dialog, control.id);
            EXPECT_EQ(test::Box(p.left, p.top, p.left + p.right, p.top + p.bottom), test::BoxInParent(hwnd))
                << control.id;
        }
        EXPECT_EQ(test::Box(0, 0, 540, 344), test::BoxInParent(dialog));
    }});
    EXPECT_EQ(1u, m_stepsRun);
}

TEST_F(CookieKeepDialogTest, ListsOneNamePerSiteAndHidesWhatTheKeepListHolds)
{
    const struct {
        Names files;
        std::optional<std::string> keepList;
        Names left;
        Names right;
        std::string savedByOk;
    } kFills[] = {
        {{"A@B[1].txt", "A@E[1].txt", "A@E[2].txt", "index.dat"}, "B\n", {"E"}, {"B"}, "B\n"},
        // "go" begins "google"; "last" has no line feed after it.
        {{"me@google[1].txt", "me@other[1].txt"}, "go\nlast", {"other"}, {"go"}, "go\n"},
        {{".hidden", "x@Zeta[1].txt", "y@alpha[1].txt", "F.ini"}, std::nullopt, {"alpha", "F.ini", "Zeta"}, {}, ""},
    };
    for (const auto& fill : kFills) {
        test::RemoveTree(m_state.Cookies());
        m_state.Root().Folder("Cookies");
        Cookies(fill.files);
        (void)::DeleteFileA(KeepListPath().c_str()); // absent unless the case writes one
        if (fill.keepList)
            KeepList(*fill.keepList);
        EXPECT_EQ(IDOK, Open({[&](HWND dialog) {
                      EXPECT_EQ(fill.left, Items(dialog, IDC_COOKIE_LIST));
                      EXPECT_EQ(fill.right, Items(dialog, IDC_KEEP_LIST));
                      Key(dialog, VK_RETURN);
                  }}));
        EXPECT_EQ(fill.savedByOk, KeepListBytes());
    }
}

TEST_F(CookieKeepDialogTest, TheButtonsAndDoubleClicksMoveNamesIntoSortedPlace)
{
    Cookies({"a@alpha[1].txt", "a@beta[1].txt", "a@Gamma[1].txt", "a@delta[1].txt"});
    KeepList("kept\nKeep2\nx3\n");
    constexpr int kDoubleClick = 0;
    const struct {
        int list;
        Names selected;
        int button;
        Names left;
        Names right;
    } kMoves[] = {
        {IDC_COOKIE_LIST,
         {"beta", "Gamma"},
         IDC_MOVE_RIGHT,
         {"alpha", "delta"},
         {"beta", "Gamma", "Keep2", "kept", "x3"}},
        {IDC_KEEP_LIST, {"Keep2", "x3"}, IDC_MOVE_LEFT, {"alpha", "delta", "Keep2", "x3"}, {"beta", "Gamma", "kept"}},
        {IDC_COOKIE_LIST, {"alpha", "x3"}, kDoubleClick, {"delta", "Keep2"}, {"alpha", "beta", "Gamma", "kept", "x3"}},
        {IDC_KEEP_LIST, {"alpha"}, kDoubleClick, {"alpha", "delta", "Keep2"}, {"beta", "Gamma", "kept", "x3"}},
        {IDC_COOKIE_LIST, {}, kDoubleClick, {"alpha", "delta", "Keep2"}, {"beta", "Gamma", "kept", "x3"}},
        {IDC_COOKIE_LIST, {}, IDC_MOVE_RIGHT, {"alpha", "delta", "Keep2"}, {"beta", "Gamma", "kept", "x3"}},
        {IDC_KEEP_LIST, {}, IDC_MOVE_ALL_LEFT, {"alpha", "beta", "delta", "Gamma", "Keep2", "kept", "x3"}, {}},
    };
    std::vector<Step> steps;
    for (const auto& move : kMoves)
        steps.push_back([&move](HWND dialog) {
            Select(dialog, move.list, move.selected);
            if (move.button == kDoubleClick)
                DoubleClick(dialog, move.list);
            else
                Press(dialog, move.button);
            EXPECT_EQ(move.left, Items(dialog, IDC_COOKIE_LIST));
            EXPECT_EQ(move.right, Items(dialog, IDC_KEEP_LIST));
        });
    steps.insert(steps.begin(), [](HWND) { test::HoldForShowcase(); });
    steps.push_back([](HWND dialog) { Key(dialog, VK_RETURN); });
    EXPECT_EQ(IDOK, Open(steps));
    EXPECT_EQ(std::string(), KeepListBytes()) << "an empty list is an empty file";
}

TEST_F(CookieKeepDialogTest, OkWritesTheRightListAndEveryOtherWayOutWritesNothing)
{
    const struct {
        Step close;
        INT_PTR result;
        std::string file;
    } kCloses[] = {
        {[](HWND d) { Key(d, VK_RETURN); }, IDOK, "alpha\nBeta\nold\n"},
        {[](HWND d) { ::SendMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(428, 64)); }, IDOK, "alpha\nBeta\nold\n"},
        {[](HWND d) { ::SendMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(520, 89)); }, IDOK, "alpha\nBeta\nold\n"},
        {[](HWND d) { Key(d, VK_ESCAPE); }, IDCANCEL, "old\n"},
        {[](HWND d) { ::PostMessageA(d, WM_CLOSE, 0, 0); }, IDCANCEL, "old\n"},
        {[](HWND d) { ::SendMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(520, 27)); }, IDCANCEL, "old\n"},
    };
    Cookies({"a@alpha[1].txt", "a@Beta[1].txt"});
    for (const auto& close : kCloses) {
        KeepList("old\n");
        const Step move = [](HWND d) {
            Select(d, IDC_COOKIE_LIST, {"alpha", "Beta"});
            Press(d, IDC_MOVE_RIGHT);
            ::SendMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(427, 64)); // just outside OK
        };
        EXPECT_EQ(close.result, Open({move, close.close}));
        EXPECT_EQ(close.file, KeepListBytes());
    }
}

TEST_F(CookieKeepDialogTest, AKeepListThatCannotBeWrittenStaysAsItWasAndTheDialogOpen)
{
    Cookies({"a@new[1].txt"});
    KeepList("old\n");
    // The new list is written beside the old one first; a folder in that place fails it.
    const std::string pending = KeepListPath() + ".new";
    ASSERT_TRUE(::CreateDirectoryA(pending.c_str(), nullptr));
    const Step moveAndOk = [](HWND d) {
        Select(d, IDC_COOKIE_LIST, {"new"});
        Press(d, IDC_MOVE_RIGHT);
        Key(d, VK_RETURN);
    };
    EXPECT_EQ(IDOK, Open({moveAndOk, [&](HWND dialog) {
                              EXPECT_EQ(std::string("old\n"), KeepListBytes());
                              ::RemoveDirectoryA(pending.c_str());
                              Key(dialog, VK_RETURN);
                          }}));
    EXPECT_EQ(2u, m_stepsRun) << "the dialog stayed open after the failed save";
    EXPECT_EQ(std::string("new\nold\n"), KeepListBytes());
    ::RemoveDirectoryA(pending.c_str());
}

TEST_F(CookieKeepDialogTest, TabGoesRoundTheListsAndButtons)
{
    std::vector<int> seen;
    std::vector<Step> steps(6, [&seen](HWND dialog) {
        seen.push_back(::GetDlgCtrlID(::GetFocus()));
        Key(dialog, VK_TAB);
    });
    steps.insert(steps.begin(), [](HWND dialog) { ::SetFocus(::GetDlgItem(dialog, IDC_COOKIE_LIST)); });
    Open(steps);
    EXPECT_EQ((std::vector<int>{IDC_COOKIE_LIST, IDC_KEEP_LIST, IDC_MOVE_RIGHT, IDC_MOVE_LEFT, IDC_MOVE_ALL_LEFT,
                                IDC_COOKIE_LIST}),
              seen);
}

TEST_F(CookieKeepDialogTest, TheTopStripMovesItAndThePaintedLogosOpenTheirPages)
{
    const Names home{"http://www.corvale.example/"};
    const struct {
        int x;
        int y;
        const char* cursor;
        bool moves;
        Names pages;
    } kPresses[] = {{200, 17, IDC_SIZEALL, true, {}},
                    {200, 18, IDC_ARROW, false, {}},
                    {131, 49, IDC_HAND, false, {"http://www.corvale.example/products/corvale/"}},
                    {300, 300, IDC_ARROW, false, home},
                    {386, 291, IDC_HAND, false, home},
                    {288, 300, IDC_ARROW, false, {}},
                    {100, 330, IDC_HAND, false, {}}};
    Open({[&](HWND dialog) {
        for (const auto& press : kPresses) {
            const test::PressResult result = test::PressAndRelease(dialog, press.x, press.y, press.cursor);
            EXPECT_TRUE(result.cursorShown) << press.x << "," << press.y;
            EXPECT_EQ(press.moves ? test::Box(0, 0, 10, 7) : test::Box(0, 0, 0, 0), result.shift) << press.y;
            EXPECT_EQ(press.pages, result.pages) << press.x << "," << press.y;
        }
    }});
    EXPECT_EQ(1u, m_stepsRun);
}

TEST_F(CookieKeepDialogTest, TwentyOpeningsLeaveNoGdiOrUserObjectBehind)
{
    Cookies({"a@alpha[1].txt", "a@beta[1].txt"});
    KeepList("kept\n");
    const auto [before, after] = test::ObjectsBeforeAndAfterTwenty([this] { Open({}); });
    EXPECT_EQ(before, after) << "GDI objects, windows";
}

} // namespace
} // namespace corvale
