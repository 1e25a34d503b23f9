// The option check box on real windows: the button and its label window, the label's
// white box and text whatever lies beneath, the ellipsis and the 199-character cut, the
// check state, and pages of check boxes built and destroyed without a painter left on a
// dying label or a GDI object left behind.
#include "controls/OptionCheckBox.h"

#include "support/GdiCount.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvale {
namespace {

using test::Pixels;

constexpr DWORD kOptionStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kSkinRed = RGB(200, 30, 30);

std::string WindowText(HWND hwnd)
{
    char text[512] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string ClassName(HWND hwnd)
{
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

RECT RectInParent(HWND hwnd)
{
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The font a label is meant to paint in.
GdiObject LabelFont()
{
    return GdiObject(::CreateFontA(14, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
}

// The label's text drawn the way a label is meant to look, with a format of the test's
// choosing, into a white box of the given size.
Pixels ReferenceLabel(const std::string& text, int width, int height, UINT format)
{
    HDC screen = ::GetDC(nullptr);
    MemoryDc dc(::CreateCompatibleDC(screen));
    GdiObject bitmap(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    GdiObject font = LabelFont();
    HGDIOBJ oldBitmap = ::SelectObject(dc.Get(), bitmap.Get());
    HGDIOBJ oldFont = ::SelectObject(dc.Get(), font.Get());
    RECT box{0, 0, width, height};
    ::FillRect(dc.Get(), &box, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    std::string copy = text;
    ::DrawTextExA(dc.Get(), &copy[0], -1, &box, format, nullptr);
    Pixels pixels = Pixels::FromDc(dc.Get(), 0, 0, width, height);
    ::SelectObject(dc.Get(), oldFont);
    ::SelectObject(dc.Get(), oldBitmap);
    return pixels;
}

// What DT_WORD_ELLIPSIS makes of a text in a box of that width.
std::string EllipsisText(const std::string& text, int width, int height)
{
    HDC screen = ::GetDC(nullptr);
    MemoryDc dc(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    GdiObject font = LabelFont();
    HGDIOBJ oldFont = ::SelectObject(dc.Get(), font.Get());
    std::vector<char> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 8, '\0');
    RECT box{0, 0, width, height};
    ::DrawTextExA(dc.Get(), buffer.data(), -1, &box, DT_WORD_ELLIPSIS | DT_MODIFYSTRING | DT_CALCRECT, nullptr);
    ::SelectObject(dc.Get(), oldFont);
    return buffer.data();
}

int TextWidth(const std::string& text)
{
    HDC screen = ::GetDC(nullptr);
    MemoryDc dc(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    GdiObject font = LabelFont();
    HGDIOBJ oldFont = ::SelectObject(dc.Get(), font.Get());
    SIZE size{};
    ::GetTextExtentPoint32A(dc.Get(), text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc.Get(), oldFont);
    return size.cx;
}

class OptionCheckBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A red skin underneath, which the default static painting would also take.
        m_host.SetStaticBackground(kSkinRed);
        ASSERT_TRUE(m_host.Create(RECT{0, 0, 1260, 360}));
    }

    Pixels LabelPixels(const COptionCheckBox& box)
    {
        ::InvalidateRect(box.LabelWindow(), nullptr, TRUE);
        return Pixels::OfWindow(box.LabelWindow());
    }

    test::HostWindow m_host;
};

TEST_F(OptionCheckBoxTest, CreatesASmallButtonAndASeparateLabel)
{
    COptionCheckBox box;
    EXPECT_EQ(nullptr, box.LabelWindow());
    const RECT button{31, 146, 43, 158};
    const RECT label{45, 145, 300, 158};
    ASSERT_TRUE(box.Create("Search History", nullptr, kOptionStyle, button, label, m_host, 11));

    EXPECT_EQ("Button", ClassName(box));
    EXPECT_EQ("S", WindowText(box));
    EXPECT_EQ(11, ::GetDlgCtrlID(box));
    EXPECT_EQ(static_cast<LONG>(kOptionStyle), ::GetWindowLongA(box, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    EXPECT_TRUE(SameRect(button, RectInParent(box)));

    HWND labelWindow = box.LabelWindow();
    ASSERT_NE(nullptr, labelWindow);
    EXPECT_EQ("Static", ClassName(labelWindow));
    EXPECT_EQ("Search History", WindowText(labelWindow));
    EXPECT_EQ(0xFFFF, ::GetDlgCtrlID(labelWindow));
    EXPECT_EQ(static_cast<HWND>(m_host), ::GetParent(labelWindow));
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE), ::GetWindowLongA(labelWindow, GWL_STYLE) & ~WS_CLIPSIBLINGS);
    EXPECT_TRUE(SameRect(label, RectInParent(labelWindow)));
}

TEST_F(OptionCheckBoxTest, FailedButtonMakesNoLabel)
{
    COptionCheckBox box;
    HWND notAWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
    EXPECT_FALSE(box.Create("Lost", nullptr, kOptionStyle, RECT{0, 0, 12, 12}, RECT{14, 0, 100, 13}, notAWindow, 11));
    EXPECT_FALSE(box.IsAttached());
    EXPECT_EQ(nullptr, box.LabelWindow());
}

TEST_F(OptionCheckBoxTest, CheckStateThroughTheButtonMessages)
{
    COptionCheckBox box;
    ASSERT_TRUE(
        box.Create("Recycle Bin", nullptr, kOptionStyle, RECT{31, 260, 43, 272}, RECT{45, 259, 300, 272}, m_host, 14));
    EXPECT_EQ(BST_UNCHECKED, box.SendMessage(BM_GETCHECK));
    box.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, box.SendMessage(BM_GETCHECK));
    box.SendMessage(BM_CLICK); // an automatic check box toggles itself
    EXPECT_EQ(BST_UNCHECKED, box.GetCheck());
    box.SetCheck(1);
    EXPECT_EQ(1, box.GetCheck());
}

TEST_F(OptionCheckBoxTest, LabelIsAWhiteBoxWithBlackTextOnAnySkin)
{
    COptionCheckBox box;
    ASSERT_TRUE(box.Create("Clipboard Memory", nullptr, kOptionStyle, RECT{31, 203, 43, 215}, RECT{45, 202, 300, 215},
                           m_host, 15));
    const Pixels label = LabelPixels(box);
    ASSERT_EQ(255, label.Width());
    ASSERT_EQ(13, label.Height());
    // The border is white where the text does not cover it: the text starts at the left
    // edge, and the 14-pixel font's descenders reach the bottom row of the 13-pixel box,
    // as they do on the real pages.
    const int textEnd = TextWidth("Clipboard Memory");
    for (int x = 0; x < label.Width(); ++x) {
        EXPECT_EQ(kWhite, label.At(x, 0)) << x;
        if (x > textEnd) {
            EXPECT_EQ(kWhite, label.At(x, label.Height() - 1)) << x;
        }
    }
    for (int y = 0; y < label.Height(); ++y)
        EXPECT_EQ(kWhite, label.At(label.Width() - 1, y)) << y;
    int dark = 0;
    for (int y = 0; y < label.Height(); ++y) {
        for (int x = 0; x < label.Width(); ++x) {
            const COLORREF c = label.At(x, y);
            if (c != kWhite) {
                // Black text, perhaps smoothed to grey, never the skin's red.
                EXPECT_EQ(GetRValue(c), GetGValue(c)) << x << "," << y;
                ++dark;
            }
        }
    }
    EXPECT_GT(dark, 20);
    EXPECT_TRUE(label == ReferenceLabel("Clipboard Memory", 255, 13, DT_WORD_ELLIPSIS));
    // The skin shows around the label.
    const Pixels host = Pixels::OfWindow(m_host);
    EXPECT_EQ(kSkinRed, host.At(301, 208));
}

TEST_F(OptionCheckBoxTest, LongTextEndsInAnEllipsisAtTheLastWholeWord)
{
    const std::string text = "Clean Internet Explorer Cookies------------------>>";
    COptionCheckBox box;
    ASSERT_TRUE(
        box.Create(text.c_str(), nullptr, kOptionStyle, RECT{31, 221, 43, 233}, RECT{45, 220, 165, 233}, m_host, 14));
    const std::string shown = EllipsisText(text, 120, 13);
    ASSERT_NE(std::string::npos, shown.find("...")) << shown;
    EXPECT_EQ(text, WindowText(box.LabelWindow()));
    const Pixels label = LabelPixels(box);
    EXPECT_TRUE(label == ReferenceLabel(shown, 120, 13, 0));
    EXPECT_TRUE(label != ReferenceLabel(text, 120, 13, 0));
}

TEST_F(OptionCheckBoxTest, TextOf200CharactersOrMoreShowsItsFirst199)
{
    const std::string first199(199, 'l');
    const std::string text = first199 + std::string(60, 'W');
    const int shownWidth = TextWidth(first199);
    const int width = shownWidth + 300;
    ASSERT_LT(width + 10, 1260) << "the test's font is unusually wide";
    COptionCheckBox box;
    ASSERT_TRUE(
        box.Create(text.c_str(), nullptr, kOptionStyle, RECT{0, 0, 8, 13}, RECT{10, 0, 10 + width, 13}, m_host, 16));
    const Pixels label = LabelPixels(box);
    EXPECT_TRUE(label == ReferenceLabel(first199, width, 13, DT_WORD_ELLIPSIS));
    for (int x = shownWidth + 20; x < width - 1; ++x) {
        for (int y = 0; y < 13; ++y)
            ASSERT_EQ(kWhite, label.At(x, y)) << x << "," << y;
    }
    // With all of it the Ws would show there.
    EXPECT_TRUE(label != ReferenceLabel(text, width, 13, DT_WORD_ELLIPSIS));
}

struct PageOption {
    const char* text;
    UINT id;
    RECT box;
    RECT label;
};

const PageOption kInternetPage[] = {
    {"Internet Explorer Temp Files", 11, {31, 146, 43, 158}, {45, 145, 300, 158}},
    {"Internet Explorer History", 12, {31, 165, 43, 177}, {45, 164, 300, 177}},
    {"Internet Explorer Address Bar", 13, {31, 183, 43, 195}, {45, 182, 300, 195}},
    {"Clean Internet Temp Files when IE closes", 15, {31, 202, 43, 214}, {45, 201, 300, 214}},
    {"Clean Internet Explorer Cookies------------------>>", 14, {31, 221, 43, 233}, {45, 220, 300, 233}},
};

const PageOption kSystemPage[] = {
    {"Search History", 11, {31, 146, 43, 158}, {45, 145, 300, 158}},
    {"Recent Docs History", 12, {31, 165, 43, 177}, {45, 164, 300, 177}},
    {"Scandisk Files", 13, {31, 183, 43, 195}, {45, 182, 300, 195}},
    {"Recycle Bin", 14, {31, 260, 43, 272}, {45, 259, 300, 272}},
    {"Clipboard Memory", 15, {31, 203, 43, 215}, {45, 202, 300, 215}},
    {"Download Program Files Directory", 16, {31, 241, 43, 253}, {45, 240, 300, 253}},
    {"Temporary Files Directory", 17, {31, 222, 43, 234}, {45, 221, 300, 234}},
    {"Start/Run History", 18, {269, 146, 281, 158}, {283, 145, 400, 158}},
    {"Clean Swap File on Shutdown", 19, {269, 165, 281, 177}, {283, 164, 450, 177}},
    {"Recent Network Drive List", 20, {269, 183, 281, 195}, {283, 182, 450, 195}},
    {"Remove Recent Docs History", 21, {269, 201, 281, 213}, {283, 200, 450, 213}},
};

// Every label window that reaches WM_DESTROY, and whether an object still hooked it then.
struct DestroyWatch {
    static DestroyWatch* current;
    std::vector<HWND> destroyed;
    std::vector<HWND> hookedWhenDestroyed;
    HHOOK hook = nullptr;

    DestroyWatch()
    {
        current = this;
        hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &DestroyWatch::Proc, nullptr, ::GetCurrentThreadId());
    }
    ~DestroyWatch()
    {
        ::UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && current && message->message == WM_DESTROY &&
            ::GetDlgCtrlID(message->hwnd) == static_cast<int>(COptionCheckBox::kLabelId)) {
            current->destroyed.push_back(message->hwnd);
            if (CWnd::FromHandle(message->hwnd))
                current->hookedWhenDestroyed.push_back(message->hwnd);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};
DestroyWatch* DestroyWatch::current = nullptr;

int ChildCount(HWND parent)
{
    int count = 0;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ++count;
    return count;
}

template <std::size_t N>
std::vector<std::unique_ptr<COptionCheckBox>> BuildPage(const PageOption (&options)[N], HWND parent)
{
    std::vector<std::unique_ptr<COptionCheckBox>> page;
    for (const PageOption& option : options) {
        auto box = std::make_unique<COptionCheckBox>();
        if (box->Create(option.text, nullptr, kOptionStyle, option.box, option.label, parent, option.id))
            page.push_back(std::move(box));
    }
    ::UpdateWindow(parent);
    ::RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return page;
}

TEST_F(OptionCheckBoxTest, PagesBuiltAndDestroyedLeaveNoPainterAndNoGdiObject)
{
    // The count really counts: ten brushes show as ten objects.
    const int beforeBrushes = test::CountGdiObjects();
    ASSERT_GT(beforeBrushes, 0);
    {
        std::vector<GdiObject> brushes;
        for (int i = 0; i < 10; ++i)
            brushes.emplace_back(::CreateSolidBrush(RGB(i, i, i)));
        ASSERT_EQ(beforeBrushes + 10, test::CountGdiObjects());
    }
    ASSERT_EQ(beforeBrushes, test::CountGdiObjects());

    // One page first, so that whatever the system keeps for good (fonts it has looked
    // up, the button's theme) is in place before counting.
    BuildPage(kSystemPage, m_host).clear();
    test::PumpFor(50);
    const int gdiBefore = test::CountGdiObjects();
    const int childrenBefore = ChildCount(m_host);

    DestroyWatch watch;
    std::vector<HWND> labels;
    {
        auto page = BuildPage(kInternetPage, m_host);
        ASSERT_EQ(5u, page.size());
        EXPECT_EQ(childrenBefore + 10, ChildCount(m_host));
        for (const auto& box : page)
            labels.push_back(box->LabelWindow());
        // Painting many times makes and deletes a font and a pen each time.
        for (int i = 0; i < 20; ++i)
            ::RedrawWindow(m_host, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_EQ(gdiBefore, test::CountGdiObjects());
    }
    EXPECT_EQ(childrenBefore, ChildCount(m_host));
    {
        auto page = BuildPage(kSystemPage, m_host);
        ASSERT_EQ(11u, page.size());
        EXPECT_EQ(childrenBefore + 22, ChildCount(m_host));
        for (const auto& box : page) {
            labels.push_back(box->LabelWindow());
            // Each label of the new page paints its own box.
            const Pixels label = LabelPixels(*box);
            EXPECT_EQ(kWhite, label.At(label.Width() - 1, 0));
        }
        EXPECT_EQ(kSystemPage[0].text, WindowText(page[0]->LabelWindow()));
    }
    EXPECT_EQ(childrenBefore, ChildCount(m_host));
    test::PumpFor(50);
    EXPECT_EQ(gdiBefore, test::CountGdiObjects());

    // Every label died after its painter was unhooked.
    EXPECT_EQ(labels.size(), watch.destroyed.size());
    EXPECT_TRUE(watch.hookedWhenDestroyed.empty());
    for (HWND label : labels)
        EXPECT_FALSE(::IsWindow(label));
}

TEST_F(OptionCheckBoxTest, DestroyingAfterTheParentWentIsHarmless)
{
    auto page = BuildPage(kInternetPage, m_host);
    ASSERT_EQ(5u, page.size());
    ASSERT_TRUE(m_host.DestroyWindow());
    for (const auto& box : page) {
        EXPECT_FALSE(box->IsAttached());
        EXPECT_EQ(nullptr, box->LabelWindow());
    }
    page.clear();
}

} // namespace
} // namespace corvale
