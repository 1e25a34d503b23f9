// The three controls together as the schedule page places them: the page image, its
// option check boxes and the masked time edit. Set CORVALE_SHOWCASE_MS to keep the window
// on the display that long, for a screenshot.
#include "controls/AnimatedPicture.h"
#include "controls/MaskedEdit.h"
#include "controls/OptionCheckBox.h"

#include "TestWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace corvale {
namespace {

struct ScheduleOption {
    const char* text;
    UINT id;
    RECT box;
    RECT label;
    int checked;
};

const ScheduleOption kScheduleOptions[] = {
    {"Windows Logoff", 11, {31, 146, 43, 158}, {45, 145, 300, 158}, 1},
    {"Windows Restart\\Shutdown", 12, {31, 165, 43, 177}, {45, 164, 300, 177}, 0},
    {"Every time Corvale Starts", 13, {31, 184, 43, 196}, {45, 183, 300, 196}, 0},
    {"Every time Corvale Closes", 14, {31, 203, 43, 216}, {45, 202, 300, 216}, 1},
    {"Clean every             minutes", 15, {31, 222, 43, 235}, {45, 221, 300, 235}, 0},
    {"When pressing HotKey [may be changed] --->>", 17, {31, 241, 43, 253}, {45, 240, 400, 253}, 0},
    {"Every day at", 19, {31, 261, 43, 273}, {45, 260, 400, 273}, 1},
};

TEST(ControlsShowcase, SchedulePageWithItsImageOptionsAndTime)
{
    test::HostWindow host;
    ASSERT_TRUE(host.Create(RECT{20, 20, 488, 364}));
    CAnimatedPicture picture;
    ASSERT_TRUE(picture.Create("", WS_CHILD | WS_VISIBLE, RECT{0, 0, 20, 20}, host, IDC_PICTURE));
    ASSERT_TRUE(picture.LoadResourcePicture(IDG_PAGE_GENERAL, "GIF"));
    EXPECT_TRUE(picture.ShowPicture());

    std::vector<std::unique_ptr<COptionCheckBox>> options;
    for (const ScheduleOption& option : kScheduleOptions) {
        auto box = std::make_unique<COptionCheckBox>();
        ASSERT_TRUE(box->Create(option.text, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, option.box,
                                option.label, picture, option.id));
        box->SetCheck(option.checked);
        options.push_back(std::move(box));
    }
    CEdit interval;
    ASSERT_TRUE(interval.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, RECT{112, 220, 138, 238}, picture, 16));
    interval.SetText("10");
    CMaskedEdit time;
    ASSERT_TRUE(time.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, RECT{112, 259, 155, 277}, picture, 20));
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    interval.SetFont(font);
    time.SetFont(font);
    time.SetMask("##:##", '_');
    time.SetData("0930");

    EXPECT_EQ("09:30", time.GetText());
    EXPECT_EQ(468, picture.GetClientRect().right);
    EXPECT_EQ(344, picture.GetClientRect().bottom);
    EXPECT_EQ(1, options.back()->GetCheck());
    for (const auto& box : options)
        EXPECT_TRUE(::IsWindowVisible(box->LabelWindow()));

    const char* hold = std::getenv("CORVALE_SHOWCASE_MS");
    test::PumpFor(hold ? static_cast<DWORD>(std::atoi(hold)) : 100);
}

} // namespace
} // namespace corvale
