// The about dialog from its template: skin, Close button and HTML view in their places,
// hot areas at their edges leading to the help file and the maker's pages, the drag
// strip and the cursors; the help file found through the autostart value and opened by
// HTML Help. Page and help openings are recorded instead of starting a browser.
#include "dialogs/AboutDialog.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/HelpFile.h"
#include "dialogs/HelpPath.h"
#include "resource.h"
#include "version.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <string>
#include <vector>

namespace corvale {
namespace {

class RecordingAbout : public CAboutDialog {
public:
    std::vector<std::string> opened;

protected:
    void OpenPage(const char* url) override { opened.push_back(url); }
    void OpenHelp(const std::string& helpFile) override { opened.push_back("help " + helpFile); }
};

RECT ChildRect(HWND dialog, int id)
{
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class AboutDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(dialog.Create(nullptr));
    }
    void TearDown() override
    {
        dialog.DestroyWindow();
        ::OleUninitialize();
    }
    std::vector<std::string> ReleaseAt(int x, int y)
    {
        dialog.opened.clear();
        dialog.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        return dialog.opened;
    }

    RecordingAbout dialog;
};

TEST_F(AboutDialog, TakesItsSkinAndPlacesTheCloseButtonAndTheLicenceView)
{
    const RECT window = dialog.GetWindowRect();
    EXPECT_EQ(window.right - window.left, 468);
    EXPECT_EQ(window.bottom - window.top, 312);
    const RECT close = ChildRect(dialog, IDCANCEL);
    const RECT closeExpected{320, 208, 409, 234};
    EXPECT_TRUE(::EqualRect(&close, &closeExpected));
    char text[16] = {};
    ::GetDlgItemTextA(dialog, IDCANCEL, text, sizeof text);
    EXPECT_STREQ(text, "Close");
    const RECT view = ChildRect(dialog, IDC_ABOUT_HTML);
    const RECT viewExpected{65, 54, 65 + 343, 54 + 146};
    EXPECT_TRUE(::EqualRect(&view, &viewExpected));
    char viewClass[32] = {};
    ::GetClassNameA(::GetDlgItem(dialog, IDC_ABOUT_HTML), viewClass, sizeof viewClass);
    EXPECT_STRNE(viewClass, "Static") << "the template's static is replaced";
}

TEST_F(AboutDialog, HotAreasAtTheirEdges)
{
    const test::ScopedRunValue run(std::string("\"C:\\Apps\\Corvale\\Corvale.exe\" /h"));
    const std::string help = "help C:\\Apps\\Corvale\\Kelto Help.chm";
    const struct {
        int x, y;
        std::vector<std::string> opened;
    } cases[] = {
        {244, 37, {help}},
        {270, 51, {help}},
        {243, 37, {}},
        {244, 52, {}},
        {329, 266, {CORVALE_HOME_URL}},
        {328, 266, {}},
        {300, 40, {CORVALE_HOME_URL}},
        {410, 40, {CORVALE_PRODUCT_URL}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReleaseAt(c.x, c.y), c.opened) << c.x << ", " << c.y;
}

TEST_F(AboutDialog, NoAutostartValueOpensNoHelp)
{
    const test::ScopedRunValue run(std::nullopt);
    EXPECT_TRUE(ReleaseAt(250, 40).empty());
}

TEST_F(AboutDialog, DragStripAndCursors)
{
    const struct {
        int y;
        bool drags;
    } presses[] = {{17, true}, {18, false}};
    for (const auto& press : presses) {
        dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, press.y));
        EXPECT_EQ(dialog.IsDragging(), press.drags) << press.y;
        dialog.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(100, press.y));
    }
    const struct {
        int x, y;
        const char* cursor;
    } moves[] = {{244, 37, IDC_HAND}, {100, 17, IDC_SIZEALL}, {100, 100, IDC_ARROW}};
    for (const auto& move : moves) {
        dialog.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(move.x, move.y));
        EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, move.cursor)) << move.x << ", " << move.y;
    }
}

TEST(HelpFile, HtmlHelpOpensTheBuiltHelpFileAndNothingElse)
{
    const std::string built = test::BuiltFile(kHelpFileName);
    if (!test::FileExists(built))
        GTEST_SKIP() << "no help file was built (chmcmd is missing)";
    HWND help = ShowHelpFile(nullptr, built);
    EXPECT_NE(help, nullptr);
    if (help)
        ::SendMessageA(help, WM_CLOSE, 0, 0);
    EXPECT_EQ(ShowHelpFile(nullptr, "C:\\nowhere\\Kelto Help.chm"), nullptr);
}

} // namespace
} // namespace corvale
