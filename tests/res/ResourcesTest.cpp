// Every resource of the built Corvale.exe, loaded from the file as data: dialog
// templates in their exact form, the menu, the icons, the skin images with their
// signatures and logical sizes, the licence document and the version record.
#include "resource.h"
#include "version.h"

#include "platform/Handle.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace corvale {
namespace {

struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};
using Module = UniqueHandle<ModuleTraits>;

std::string ProgramPath()
{
    const char* path = std::getenv("CORVALE_EXE");
    return path ? path : "";
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_module = new Module(::LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    }
    static void TearDownTestSuite()
    {
        delete s_module;
        s_module = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_module->IsValid()) << "cannot load " << ProgramPath(); }

    static std::vector<uint8_t> Bytes(const char* type, UINT id)
    {
        HMODULE module = s_module->Get();
        HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
        if (!found)
            return {};
        HGLOBAL loaded = ::LoadResource(module, found);
        const auto* data = static_cast<const uint8_t*>(::LockResource(loaded));
        return std::vector<uint8_t>(data, data + ::SizeofResource(module, found));
    }

    static Module* s_module;
};
Module* Resources::s_module = nullptr;

uint16_t Word(const std::vector<uint8_t>& data, size_t at)
{
    return static_cast<uint16_t>(data.at(at) | data.at(at + 1) << 8);
}

uint32_t Dword(const std::vector<uint8_t>& data, size_t at)
{
    return Word(data, at) | static_cast<uint32_t>(Word(data, at + 2)) << 16;
}

// A classic DLGTEMPLATE as windres writes it.
struct DialogItem {
    uint32_t style;
    int x, y, cx, cy;
    uint16_t id;
    std::string className; // lower case; windres writes names where rc writes atoms
    std::string text;
};
struct DialogTemplate {
    uint32_t style;
    uint32_t exStyle;
    int cx, cy;
    std::string caption;
    uint16_t pointSize;
    std::string font;
    std::vector<DialogItem> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const std::vector<uint8_t>& data) : m_data(data) {}

    DialogTemplate Read()
    {
        DialogTemplate result{};
        result.style = Dword(m_data, 0);
        result.exStyle = Dword(m_data, 4);
        const uint16_t count = Word(m_data, 8);
        result.cx = static_cast<int16_t>(Word(m_data, 14));
        result.cy = static_cast<int16_t>(Word(m_data, 16));
        m_at = 18;
        SkipNameOrOrdinal(); // menu
        SkipNameOrOrdinal(); // class
        result.caption = ReadString();
        if (result.style & DS_SETFONT) {
            result.pointSize = Word(m_data, m_at);
            m_at += 2;
            result.font = ReadString();
        }
        for (uint16_t i = 0; i < count; ++i) {
            m_at = (m_at + 3) & ~size_t{3};
            DialogItem item{};
            item.style = Dword(m_data, m_at);
            item.x = static_cast<int16_t>(Word(m_data, m_at + 8));
            item.y = static_cast<int16_t>(Word(m_data, m_at + 10));
            item.cx = static_cast<int16_t>(Word(m_data, m_at + 12));
            item.cy = static_cast<int16_t>(Word(m_data, m_at + 14));
            item.id = Word(m_data, m_at + 16);
            m_at += 18;
            if (Word(m_data, m_at) == 0xFFFF) {
                item.className = AtomName(Word(m_data, m_at + 2));
                m_at += 4;
            } else {
                item.className = ReadString();
                for (char& c : item.className)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            item.text = ReadString();
            m_at += 2 + Word(m_data, m_at);
            result.items.push_back(item);
        }
        return result;
    }

private:
    static std::string AtomName(uint16_t atom)
    {
        switch (atom) {
        case 0x80: return "button";
        case 0x81: return "edit";
        case 0x82: return "static";
        case 0x83: return "listbox";
        default: return "atom" + std::to_string(atom);
        }
    }
    void SkipNameOrOrdinal()
    {
        if (Word(m_data, m_at) == 0xFFFF)
            m_at += 4;
        else
            ReadString();
    }
    std::string ReadString()
    {
        std::string text;
        while (uint16_t c = Word(m_data, m_at)) {
            text += static_cast<char>(c);
            m_at += 2;
        }
        m_at += 2;
        return text;
    }

    const std::vector<uint8_t>& m_data;
    size_t m_at = 0;
};

const char* const kButton = "button";
const char* const kStatic = "static";
const char* const kListBox = "listbox";

DialogTemplate Template(const std::vector<uint8_t>& data)
{
    return TemplateReader(data).Read();
}

void ExpectItem(const DialogItem& item, uint16_t id, const char* className, uint32_t style, RECT rect)
{
    SCOPED_TRACE(testing::Message() << "control " << id);
    EXPECT_EQ(item.id, id);
    EXPECT_EQ(item.className, className);
    EXPECT_EQ(item.style, style);
    EXPECT_EQ(item.x, rect.left);
    EXPECT_EQ(item.y, rect.top);
    EXPECT_EQ(item.cx, rect.right);
    EXPECT_EQ(item.cy, rect.bottom);
}

TEST_F(Resources, AboutTemplate)
{
    const DialogTemplate about = Template(Bytes(MAKEINTRESOURCEA(5), IDD_ABOUT));
    EXPECT_EQ(about.style, static_cast<uint32_t>(WS_POPUP | WS_BORDER | DS_SETFONT));
    EXPECT_EQ(about.cx, 236);
    EXPECT_EQ(about.cy, 166);
    EXPECT_EQ(about.caption, "");
    EXPECT_EQ(about.font, "MS Sans Serif");
    ASSERT_EQ(about.items.size(), 2u);
    ExpectItem(about.items[0], IDC_PICTURE, kStatic, WS_CHILD | WS_VISIBLE, RECT{0, 0, 119, 8});
    ExpectItem(about.items[1], IDC_ABOUT_HTML, kStatic, WS_CHILD | WS_VISIBLE, RECT{7, 32, 34, 13});
}

TEST_F(Resources, MainWindowTemplateIsAVisiblePopupWithATaskbarButtonAndNoCaption)
{
    const DialogTemplate main = Template(Bytes(MAKEINTRESOURCEA(5), IDD_MAIN));
    EXPECT_EQ(main.style & (WS_POPUP | WS_VISIBLE | WS_BORDER),
              static_cast<uint32_t>(WS_POPUP | WS_VISIBLE | WS_BORDER));
    EXPECT_EQ(main.style & (WS_CAPTION & ~WS_BORDER), 0u) << "no caption";
    EXPECT_EQ(main.style & WS_SYSMENU, 0u);
    EXPECT_EQ(main.exStyle & WS_EX_APPWINDOW, static_cast<uint32_t>(WS_EX_APPWINDOW));
    ASSERT_EQ(main.items.size(), 1u);
    EXPECT_EQ(main.items[0].id, IDC_PICTURE);
    EXPECT_EQ(main.items[0].className, kStatic);
    EXPECT_EQ(main.items[0].x, 0);
    EXPECT_EQ(main.items[0].y, 0);
}

TEST_F(Resources, SplashTemplate)
{
    const DialogTemplate splash = Template(Bytes(MAKEINTRESOURCEA(5), IDD_SPLASH));
    EXPECT_EQ(splash.style, static_cast<uint32_t>(WS_POPUP | DS_SETFONT));
    EXPECT_EQ(splash.cx, 309);
    EXPECT_EQ(splash.cy, 16);
    EXPECT_EQ(splash.font, "MS Sans Serif");
    ASSERT_EQ(splash.items.size(), 1u);
    ExpectItem(splash.items[0], IDC_SPLASH_PICTURE, kStatic, WS_CHILD | WS_VISIBLE, RECT{0, 0, 77, 8});
}

TEST_F(Resources, ProgressTemplate)
{
    const DialogTemplate progress = Template(Bytes(MAKEINTRESOURCEA(5), IDD_PROGRESS));
    EXPECT_EQ(progress.style, static_cast<uint32_t>(WS_POPUP | WS_BORDER | DS_SETFONT))
        << "shown by the run, not by itself";
    EXPECT_EQ(progress.cx, 196);
    EXPECT_EQ(progress.cy, 132);
    EXPECT_EQ(progress.font, "MS Sans Serif");
    EXPECT_EQ(progress.pointSize, 8);
    ASSERT_EQ(progress.items.size(), 2u);
    ExpectItem(progress.items[0], IDC_PICTURE, kStatic, WS_CHILD | WS_VISIBLE | WS_GROUP, RECT{0, 0, 119, 8});
    EXPECT_EQ(progress.items[0].text, "Progress");
    ExpectItem(progress.items[1], IDC_PROGRESS_LIST, kListBox,
               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOSEL | LBS_NOINTEGRALHEIGHT |
                   LBS_USETABSTOPS,
               RECT{7, 20, 182, 68});
}

TEST_F(Resources, CookieKeepListTemplate)
{
    const DialogTemplate keep = Template(Bytes(MAKEINTRESOURCEA(5), IDD_COOKIE_KEEP));
    EXPECT_EQ(keep.style, 0x80800040u);
    EXPECT_EQ(keep.cx, 357);
    EXPECT_EQ(keep.cy, 214);
    EXPECT_EQ(keep.font, "MS Sans Serif");
    ASSERT_EQ(keep.items.size(), 6u);
    ExpectItem(keep.items[0], IDC_PICTURE, kStatic, 0x50000000, RECT{0, 0, 19, 8});
    ExpectItem(keep.items[1], IDC_COOKIE_LIST, kListBox, 0x50A10903, RECT{9, 69, 161, 98});
    ExpectItem(keep.items[2], IDC_KEEP_LIST, kListBox, 0x50A10903, RECT{200, 68, 150, 98});
    ExpectItem(keep.items[3], IDC_MOVE_RIGHT, kButton, 0x50010000, RECT{173, 95, 20, 14});
    ExpectItem(keep.items[4], IDC_MOVE_LEFT, kButton, 0x50010000, RECT{173, 111, 20, 14});
    ExpectItem(keep.items[5], IDC_MOVE_ALL_LEFT, kButton, 0x50010000, RECT{173, 127, 20, 14});
    EXPECT_EQ(keep.items[3].text, ">");
    EXPECT_EQ(keep.items[4].text, "<");
    EXPECT_EQ(keep.items[5].text, "<<");
}

std::string MenuText(HMENU menu, UINT position)
{
    char text[128] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST_F(Resources, ContextMenuItemsInOrder)
{
    MenuHandle menu(::LoadMenuA(s_module->Get(), MAKEINTRESOURCEA(IDR_CONTEXT_MENU)));
    ASSERT_TRUE(menu.IsValid());
    ASSERT_EQ(::GetMenuItemCount(menu.Get()), 1);
    EXPECT_EQ(MenuText(menu.Get(), 0), "1");
    HMENU popup = ::GetSubMenu(menu.Get(), 0);
    ASSERT_NE(popup, nullptr);

    struct Item {
        const char* text; // null for a separator or the submenu
        UINT id;
    };
    const Item expected[] = {
        {"&Check All", ID_CHECK_ALL},
        {"&Uncheck All", ID_UNCHECK_ALL},
        {nullptr, 0},
        {"Clean &Now", ID_CLEAN_NOW},
        {nullptr, 0},
        {"&1 Internet Clean", ID_PAGE_INTERNET},
        {"&2 System Clean", ID_PAGE_SYSTEM},
        {"&3 General Options", ID_PAGE_GENERAL},
        {nullptr, 0},
        {"&Show cleaning progress", ID_SHOW_PROGRESS},
        {"Close progress bar automatically", ID_AUTO_CLOSE},
        {nullptr, 0},
        {"&Help", 0xFFFFFFFF},
        {nullptr, 0},
        {"E&xit", ID_EXIT},
    };
    ASSERT_EQ(::GetMenuItemCount(popup), static_cast<int>(sizeof expected / sizeof expected[0]));
    for (UINT i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "item " << i);
        if (!expected[i].text) {
            EXPECT_EQ(::GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
            continue;
        }
        EXPECT_EQ(MenuText(popup, i), expected[i].text);
        EXPECT_EQ(::GetMenuItemID(popup, static_cast<int>(i)), expected[i].id);
    }
    HMENU help = ::GetSubMenu(popup, 12);
    ASSERT_NE(help, nullptr);
    ASSERT_EQ(::GetMenuItemCount(help), 4);
    EXPECT_EQ(MenuText(help, 0), "About");
    EXPECT_EQ(::GetMenuItemID(help, 0), static_cast<UINT>(ID_ABOUT));
    EXPECT_EQ(::GetMenuState(help, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(MenuText(help, 2), CORVALE_MAKER_DOMAIN);
    EXPECT_EQ(::GetMenuItemID(help, 2), static_cast<UINT>(ID_HOME_PAGE));
    EXPECT_EQ(MenuText(help, 3), "&Product Page");
    EXPECT_EQ(::GetMenuItemID(help, 3), static_cast<UINT>(ID_PRODUCT_PAGE));
}

struct ImageCase {
    UINT id;
    int width;
    int height;
};

void PrintTo(const ImageCase& image, std::ostream* out)
{
    *out << "image " << image.id << " (" << image.width << " x " << image.height << ")";
}

class SkinImages : public Resources, public ::testing::WithParamInterface<ImageCase> {};

// Walks the blocks after the colour table: one image, announced by a graphic control
// extension, then the trailer.
void ExpectOneFrameWithControlExtension(const std::vector<uint8_t>& gif)
{
    size_t at = 13;
    if (gif[10] & 0x80)
        at += 3u * (1u << ((gif[10] & 7) + 1));
    int images = 0;
    bool controlExtensionFirst = false;
    while (at < gif.size() && gif[at] != 0x3B) {
        if (gif[at] == 0x21) {
            if (gif[at + 1] == 0xF9 && images == 0)
                controlExtensionFirst = true;
            at += 2;
        } else {
            ASSERT_EQ(gif[at], 0x2C) << "unexpected block at " << at;
            ++images;
            const bool localTable = gif[at + 9] & 0x80;
            at += 10 + (localTable ? 3u * (1u << ((gif[at + 9] & 7) + 1)) : 0u) + 1; // + LZW code size
        }
        while (at < gif.size() && gif[at] != 0)
            at += gif[at] + 1u;
        ++at;
    }
    ASSERT_LT(at, gif.size());
    EXPECT_EQ(gif[at], 0x3B);
    EXPECT_EQ(images, 1);
    EXPECT_TRUE(controlExtensionFirst);
}

TEST_P(SkinImages, AreOneFrameGif89aOfTheirLogicalSize)
{
    const ImageCase image = GetParam();
    const std::vector<uint8_t> gif = Bytes("GIF", image.id);
    ASSERT_GT(gif.size(), 13u);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
    EXPECT_EQ(Word(gif, 6), image.width);
    EXPECT_EQ(Word(gif, 8), image.height);
    EXPECT_TRUE(gif[10] & 0x80) << "global colour table";
    ExpectOneFrameWithControlExtension(gif);
}

INSTANTIATE_TEST_SUITE_P(Resources, SkinImages,
                         ::testing::Values(ImageCase{IDG_PAGE_GENERAL, 468, 344},
                                           ImageCase{IDG_PAGE_INTERNET, 468, 344}, ImageCase{IDG_PAGE_SYSTEM, 468, 344},
                                           ImageCase{IDG_ABOUT, 468, 312}, ImageCase{IDG_COOKIE_KEEP, 540, 344},
                                           ImageCase{IDG_PROGRESS, 436, 312}),
                         [](const ::testing::TestParamInfo<ImageCase>& info) {
                             return "Image" + std::to_string(info.param.id);
                         });

TEST_F(Resources, SplashIsAJpegOfItsSizeUnderTheGifType)
{
    const std::vector<uint8_t> jpeg = Bytes("GIF", IDG_SPLASH);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    size_t at = 2;
    int width = 0;
    int height = 0;
    while (at + 9 < jpeg.size() && jpeg[at] == 0xFF) {
        const uint8_t marker = jpeg[at + 1];
        const size_t length = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            height = jpeg[at + 5] << 8 | jpeg[at + 6];
            width = jpeg[at + 7] << 8 | jpeg[at + 8];
            break;
        }
        at += 2 + length;
    }
    EXPECT_EQ(width, 476);
    EXPECT_EQ(height, 248);
}

TEST_F(Resources, IconsCarrySmallAndLargeImages)
{
    for (UINT id : {IDI_APP, IDI_RECYCLE_BIN}) {
        SCOPED_TRACE(testing::Message() << "icon " << id);
        const std::vector<uint8_t> group = Bytes(MAKEINTRESOURCEA(14), id); // RT_GROUP_ICON
        ASSERT_GE(group.size(), 6u);
        const uint16_t count = Word(group, 4);
        bool has16 = false;
        bool has32 = false;
        for (uint16_t i = 0; i < count; ++i) {
            const uint8_t width = group.at(6 + 14u * i);
            has16 = has16 || width == 16;
            has32 = has32 || width == 32;
        }
        EXPECT_TRUE(has16);
        EXPECT_TRUE(has32);
    }
}

TEST_F(Resources, LicenceAgreementIsAnHtmlDocument)
{
    const std::vector<uint8_t> html = Bytes(MAKEINTRESOURCEA(23), IDH_LICENCE); // RT_HTML
    const std::string text(html.begin(), html.end());
    EXPECT_NE(text.find("<html"), std::string::npos);
    EXPECT_NE(text.find("Corvale"), std::string::npos);
    EXPECT_NE(text.find("</html>"), std::string::npos);
}

TEST_F(Resources, VersionRecordNamesTheProduct)
{
    const std::string path = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    char* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName",
                                 reinterpret_cast<void**>(&value), &length));
    EXPECT_STREQ(value, "Corvale");
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);
}

} // namespace
} // namespace corvale
