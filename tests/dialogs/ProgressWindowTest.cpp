// The progress window of real runs on the virtual display: its controls, the lines read
// back from its list, the three ways to close it and what it writes back, the automatic
// close, the drag strip, the home-page area, and its GDI and USER objects.
#include "dialogs/ProgressWindow.h"

#include "DialogTesting.h"
#include "engine/CleaningRun.h"
#include "resource.h"
#include "support/EngineUserState.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvale {
namespace {

const std::string kSeparator(97, '-');

// Stands in for the main window: the run's owner over a real progress window.
class TestRunOwner : public ICleaningRunOwner {
public:
    TestRunOwner() { main.Create(RECT{20, 20, 80, 60}); }
    const CleaningOptions& Options() const override { return options; }
    void EnableOwner(bool enable) override { ::EnableWindow(main, enable); }
    void CommitPage() override {}
    void ReplaceProgressWindow(int autoCloseFlag, int showProgressFlag) override
    {
        window.reset();
        window = std::make_unique<CProgressWindow>(options);
        window->AutoCloseFlag = autoCloseFlag;
        window->ShowProgressFlag = showProgressFlag;
        if (window->Create(main))
            window->ShowWindow(SW_SHOW);
        ++windowsMade;
    }
    void AddProgressLine(const char* line) override { window->AddLine(line); }
    void PostProgressClose() override { window->PostMessage(WM_CLOSE); }
    void PumpPendingMessages() override { corvale::PumpPendingMessages(); }

    test::HostWindow main;
    CleaningOptions options;
    std::unique_ptr<CProgressWindow> window;
    int windowsMade = 0;
};

class ProgressWindowTest : public ::testing::Test {
protected:
    // A real run of the catalogue over the given options, the others off.
    void Run(std::initializer_list<int> selected = {})
    {
        m_owner.options.OptionFlags = {};
        for (int option : selected)
            m_owner.options.OptionFlags[option] = 1;
        StartCleaningRun(m_owner);
    }
    HWND Item(int id) const { return ::GetDlgItem(*m_owner.window, id); }
    void Click(int optionBox) const { ::SendMessageA(::GetDlgItem(Item(IDC_PICTURE), optionBox), BM_CLICK, 0, 0); }
    bool Shown() const { return ::IsWindowVisible(*m_owner.window) != FALSE; }

    test::ScratchUserState m_state;
    TestRunOwner m_owner;
};

TEST_F(ProgressWindowTest, EveryControlSitsWhereTheSkinShowsIt)
{
    Run();
    HWND window = *m_owner.window;
    HWND picture = Item(IDC_PICTURE);
    const struct {
        HWND parent;
        int id;
        const char* className;
        const char* text;
        std::string box;
    } kControls[] = {
        {window, IDCANCEL, "Button", "Close", test::Box(320, 50, 409, 76)},
        {window, IDC_PROGRESS_LIST, "ListBox", "", test::Box(25, 90, 410, 230)},
        {picture, 10, "Button", nullptr, test::Box(25, 240, 37, 252)},
        {picture, 11, "Button", nullptr, test::Box(25, 262, 37, 274)},
        {picture, -1, "Static", "Close this window automatically", test::Box(39, 239, 300, 252)},
        {picture, -1, "Static", "Show cleaning progress", test::Box(39, 261, 300, 274)},
    };
    for (const auto& control : kControls) {
        HWND hwnd = control.text ? ::FindWindowExA(control.parent, nullptr, control.className, control.text)
                                 : ::GetDlgItem(control.parent, control.id);
        EXPECT_EQ(control.box, test::BoxInParent(hwnd)) << control.id << " " << (control.text ? control.text : "");
        if (control.id != -1) {
            EXPECT_EQ(control.id, ::GetDlgCtrlID(hwnd));
        }
    }
    EXPECT_EQ(test::Box(0, 0, 436, 312), test::BoxInParent(window));
    EXPECT_EQ(BST_UNCHECKED, ::SendDlgItemMessageA(picture, 10, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, ::SendDlgItemMessageA(picture, 11, BM_GETCHECK, 0, 0));
}

TEST_F(ProgressWindowTest, ShowsTheExactLinesOfEachRealRunInAFreshWindow)
{
    const struct {
        std::initializer_list<int> selected;
        test::Names lines;
    } kRuns[] = {
        {{}, {"Cleaning Started...", kSeparator, kSeparator, "Cleaning Done!"}},
        {{Option::RecentDocsHistory, Option::ClipboardMemory, Option::SwapFileOnShutdown},
         {"Cleaning Started...", kSeparator, "Cleaning Recent Documents History...............................Done",
          "Cleaning Clipboard Memory.............................................Done",
          "Cleaning Swap File On Shutdown...................................Done", kSeparator, "Cleaning Done!"}},
    };
    for (const auto& run : kRuns) {
        Run(run.selected);
        EXPECT_TRUE(Shown());
        EXPECT_EQ(run.lines, test::ListItems(Item(IDC_PROGRESS_LIST)));
        EXPECT_TRUE(::IsWindowEnabled(m_owner.main)) << "the run gives the main window back";
    }
    test::HoldForShowcase();
}

TEST_F(ProgressWindowTest, CloseEscapeAndWmCloseHideItAndWriteBothBoxesBackForTheNextRun)
{
    enum How { CloseButton, Escape, WmClose };
    const struct {
        How how;
        bool untickAutoClose;
        bool untickShowProgress;
    } kCloses[] = {{CloseButton, true, false}, {Escape, false, true}, {WmClose, true, true}};
    for (const auto& close : kCloses) {
        m_owner.options = CleaningOptions();
        Run();
        Click(10); // the run started it unticked
        if (close.untickAutoClose)
            Click(10);
        if (close.untickShowProgress)
            Click(11);
        if (close.how == CloseButton)
            ::SendMessageA(Item(IDCANCEL), BM_CLICK, 0, 0);
        else if (close.how == Escape)
            ::PostMessageA(Item(IDC_PROGRESS_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
        else
            ::PostMessageA(*m_owner.window, WM_CLOSE, 0, 0);
        test::PumpFor(20);
        EXPECT_FALSE(Shown()) << close.how;
        EXPECT_EQ(close.untickAutoClose ? 0 : 1, m_owner.options.CleaningAutoClose) << close.how;
        EXPECT_EQ(close.untickShowProgress ? 0 : 1, m_owner.options.ShowProgress) << close.how;
        EXPECT_EQ(4u, test::ListItems(Item(IDC_PROGRESS_LIST)).size()) << "the lines stay while hidden";
        const int made = m_owner.windowsMade;
        Run();
        EXPECT_EQ(made + (close.untickShowProgress ? 0 : 1), m_owner.windowsMade) << "a window only while ticked";
    }
}

TEST_F(ProgressWindowTest, ClosesItselfHalfASecondAfterTheRunUnlessUntickedMeanwhile)
{
    m_owner.options.CleaningAutoClose = 1;
    Run();
    ASSERT_TRUE(Shown());
    const DWORD start = ::GetTickCount();
    test::PumpFor(20);
    EXPECT_GE(::GetTickCount() - start, 450u);
    EXPECT_FALSE(Shown());

    Run();
    Click(10);
    test::PumpFor(20);
    EXPECT_FALSE(Shown()) << "this run's close was already on its way";
    Run();
    test::PumpFor(20);
    EXPECT_TRUE(Shown()) << "the next run's window stays";
}

TEST_F(ProgressWindowTest, TheTopStripMovesItAndTheMakersAreaOpensTheHomePage)
{
    Run();
    const test::Names home{"http://www.corvale.example/"};
    const struct {
        int x;
        int y;
        const char* cursor;
        bool moves;
        test::Names pages;
    } kPresses[] = {{50, 17, IDC_SIZEALL, true, {}},   {50, 18, IDC_ARROW, false, {}},
                    {296, 256, IDC_HAND, false, home}, {439, 309, IDC_HAND, false, home},
                    {295, 256, IDC_ARROW, false, {}},  {440, 309, IDC_ARROW, false, {}}};
    for (const auto& press : kPresses) {
        const test::PressResult result = test::PressAndRelease(*m_owner.window, press.x, press.y, press.cursor);
        EXPECT_TRUE(result.cursorShown) << press.x << "," << press.y;
        EXPECT_EQ(press.moves ? test::Box(0, 0, 10, 7) : test::Box(0, 0, 0, 0), result.shift) << press.y;
        EXPECT_EQ(press.pages, result.pages) << press.x << "," << press.y;
    }
}

TEST_F(ProgressWindowTest, TwentyWindowsLeaveNoGdiOrUserObjectBehind)
{
    const auto [before, after] = test::ObjectsBeforeAndAfterTwenty([this] { Run(); });
    EXPECT_EQ(before, after) << "GDI objects, windows";
}

} // namespace
} // namespace corvale
