// Hot areas of the dialog skins at their edges (inclusive bounds).
#include "dialogs/DialogRegions.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

TEST(DialogRegions, ProgressWindow)
{
    EXPECT_EQ(ProgressCursorAt(100, 17), DialogCursor::SizeAll);
    EXPECT_EQ(ProgressCursorAt(100, 18), DialogCursor::Arrow);
    EXPECT_TRUE(kProgressHomeArea.Contains(296, 256));
    EXPECT_TRUE(kProgressHomeArea.Contains(439, 309));
    EXPECT_FALSE(kProgressHomeArea.Contains(295, 256));
    EXPECT_FALSE(kProgressHomeArea.Contains(440, 309));
}

TEST(DialogRegions, KeepListClicksAndCursorsDifferAtTheMakersLogo)
{
    EXPECT_EQ(KeepListClickAt(300, 300), KeepListArea::MakersLogo);
    EXPECT_EQ(KeepListCursorAt(300, 300), DialogCursor::Arrow);
    EXPECT_EQ(KeepListCursorAt(386, 291), DialogCursor::Hand);
    EXPECT_EQ(KeepListClickAt(288, 300), KeepListArea::None);
    EXPECT_EQ(KeepListClickAt(131, 21), KeepListArea::ProductLogo);
    EXPECT_EQ(KeepListClickAt(428, 27), KeepListArea::Cancel);
    EXPECT_EQ(KeepListClickAt(520, 89), KeepListArea::Ok);
    EXPECT_EQ(KeepListClickAt(520, 90), KeepListArea::None);
    EXPECT_EQ(KeepListClickAt(100, 330), KeepListArea::None) << "the footer line shows a hand only";
    EXPECT_EQ(KeepListCursorAt(100, 330), DialogCursor::Hand);
    EXPECT_EQ(KeepListCursorAt(200, 17), DialogCursor::SizeAll);
    EXPECT_EQ(KeepListCursorAt(200, 18), DialogCursor::Arrow);
}

TEST(DialogRegions, AboutDialog)
{
    EXPECT_EQ(AboutAreaAt(244, 37), AboutArea::Help);
    EXPECT_EQ(AboutAreaAt(270, 51), AboutArea::Help);
    EXPECT_EQ(AboutAreaAt(243, 37), AboutArea::None);
    EXPECT_EQ(AboutAreaAt(244, 52), AboutArea::None);
    EXPECT_EQ(AboutAreaAt(329, 266), AboutArea::HomeBottom);
    EXPECT_EQ(AboutAreaAt(328, 266), AboutArea::None);
    EXPECT_EQ(AboutAreaAt(410, 40), AboutArea::ProductPage);
    EXPECT_EQ(AboutAreaAt(300, 40), AboutArea::HomeTop);
    EXPECT_EQ(AboutCursorAt(300, 10), DialogCursor::SizeAll);
    EXPECT_EQ(AboutCursorAt(300, 100), DialogCursor::Arrow);
}

} // namespace
} // namespace corvale
