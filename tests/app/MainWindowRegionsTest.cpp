// Hit tests of the main window's hot regions at their edges.
#include "app/MainWindowRegions.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

TEST(MainWindowRegions, TitleButtonsAreCirclesOfRadiusTenTestedInOrder)
{
    EXPECT_EQ(HitTestButtonDown(396, 21), MainRegion::HelpButton);
    EXPECT_EQ(HitTestButtonDown(421, 31), MainRegion::MinimiseButton);
    EXPECT_EQ(HitTestButtonDown(456, 21), MainRegion::CloseButton) << "exactly 10 pixels away";
    EXPECT_EQ(HitTestButtonDown(456, 22), MainRegion::TitleStrip) << "about 10.05 pixels away";
    EXPECT_EQ(HitTestButtonDown(20, 42), MainRegion::TitleStrip);
    EXPECT_EQ(HitTestButtonDown(20, 43), MainRegion::None);
    EXPECT_EQ(HitTestButtonDown(-5, -5), MainRegion::TitleStrip) << "negative points while dragging";
}

TEST(MainWindowRegions, TabsUseStrictBoundsAndIgnoreThePageOnShow)
{
    EXPECT_EQ(HitTestButtonUp(213, 100, 1), MainRegion::TabInternet);
    EXPECT_EQ(HitTestButtonUp(214, 100, 1), MainRegion::None);
    EXPECT_EQ(HitTestButtonUp(150, 89, 1), MainRegion::None);
    EXPECT_EQ(HitTestButtonUp(150, 109, 1), MainRegion::None);
    EXPECT_EQ(HitTestButtonUp(150, 100, 0), MainRegion::None) << "the page already on show";
    EXPECT_EQ(HitTestButtonUp(300, 100, 0), MainRegion::TabSystem);
    EXPECT_EQ(HitTestButtonUp(459, 108, 1), MainRegion::TabGeneral);
}

TEST(MainWindowRegions, LogosFooterAndCleanNow)
{
    EXPECT_EQ(HitTestButtonUp(6, 6, 0), MainRegion::ProductLogo);
    EXPECT_EQ(HitTestButtonUp(37, 20, 0), MainRegion::None);
    EXPECT_EQ(HitTestButtonUp(134, 283, 0), MainRegion::MakersLogo);
    EXPECT_EQ(HitTestButtonUp(135, 300, 0), MainRegion::None);
    EXPECT_EQ(HitTestButtonUp(313, 320, 0), MainRegion::FooterLine);
    EXPECT_EQ(HitTestButtonUp(300, 320, 0), MainRegion::None) << "hover area only";
    EXPECT_EQ(HitTestButtonUp(400, 60, 2), MainRegion::CleanNow);
    EXPECT_EQ(HitTestButtonUp(454, 60, 2), MainRegion::None);
}

TEST(MainWindowRegions, Cursors)
{
    EXPECT_EQ(CursorAt(300, 320, 0), CursorShape::Hand) << "footer hover starts left of its click area";
    EXPECT_EQ(CursorAt(275, 320, 0), CursorShape::Arrow);
    EXPECT_EQ(CursorAt(150, 100, 0), CursorShape::Arrow) << "tab of the page on show";
    EXPECT_EQ(CursorAt(150, 100, 1), CursorShape::Hand);
    EXPECT_EQ(CursorAt(446, 21, 0), CursorShape::Hand);
    EXPECT_EQ(CursorAt(100, 20, 0), CursorShape::SizeAll);
    EXPECT_EQ(CursorAt(20, 20, 0), CursorShape::Hand) << "the product logo lies in the title strip";
    EXPECT_EQ(CursorAt(0, 20, 0), CursorShape::Arrow);
    EXPECT_EQ(CursorAt(200, 200, 0), CursorShape::Arrow);
}

} // namespace
} // namespace corvale
