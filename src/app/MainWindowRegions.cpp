#include "app/MainWindowRegions.h"

namespace corvale {

const CircleRegion kTitleButtons[3] = {
    {MainRegion::HelpButton, 396, 21, 10},
    {MainRegion::MinimiseButton, 421, 21, 10},
    {MainRegion::CloseButton, 446, 21, 10},
};

const BoxRegion kClickRegions[7] = {
    {MainRegion::TabInternet, 112, 89, 214, 109},
    {MainRegion::TabSystem, 235, 89, 337, 109},
    {MainRegion::TabGeneral, 355, 89, 460, 109},
    {MainRegion::ProductLogo, 5, 5, 37, 33},
    // x < 135 and y > 282, open to the left and below.
    {MainRegion::MakersLogo, -32768, 282, 135, 32767},
    {MainRegion::FooterLine, 312, 311, 460, 327},
    {MainRegion::CleanNow, 362, 52, 454, 78},
};

const BoxRegion kFooterHover = {MainRegion::FooterLine, 275, 311, 460, 327};

namespace {

// The tab of the page on show does nothing and shows no hand.
bool IsTabOfPage(MainRegion region, int page)
{
    return (region == MainRegion::TabInternet && page == 0) || (region == MainRegion::TabSystem && page == 1) ||
           (region == MainRegion::TabGeneral && page == 2);
}

} // namespace

bool InsideBox(const BoxRegion& box, int x, int y)
{
    return box.left < x && x < box.right && box.top < y && y < box.bottom;
}

bool InsideCircle(const CircleRegion& circle, int x, int y)
{
    const long dx = x - circle.centreX;
    const long dy = y - circle.centreY;
    return dx * dx + dy * dy <= static_cast<long>(circle.radius) * circle.radius;
}

MainRegion HitTestButtonDown(int x, int y)
{
    if (y >= kTitleStripHeight)
        return MainRegion::None;
    for (const CircleRegion& button : kTitleButtons) {
        if (InsideCircle(button, x, y))
            return button.region;
    }
    return MainRegion::TitleStrip;
}

MainRegion HitTestButtonUp(int x, int y, int currentPage)
{
    for (const BoxRegion& box : kClickRegions) {
        if (InsideBox(box, x, y))
            return IsTabOfPage(box.region, currentPage) ? MainRegion::None : box.region;
    }
    return MainRegion::None;
}

CursorShape CursorAt(int x, int y, int currentPage)
{
    for (const CircleRegion& button : kTitleButtons) {
        if (InsideCircle(button, x, y))
            return CursorShape::Hand;
    }
    for (const BoxRegion& box : kClickRegions) {
        if (box.region != MainRegion::FooterLine && InsideBox(box, x, y) && !IsTabOfPage(box.region, currentPage))
            return CursorShape::Hand;
    }
    if (InsideBox(kFooterHover, x, y))
        return CursorShape::Hand;
    if (0 < x && x < 470 && 0 < y && y < kTitleStripHeight)
        return CursorShape::SizeAll;
    return CursorShape::Arrow;
}

} // namespace corvale
