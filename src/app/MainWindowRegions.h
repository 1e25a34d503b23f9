#pragma once
// The hot regions of the main window's page image, in client pixels. Rectangles use
// strict bounds (left < x < right); the circular title buttons are hit within 10
// pixels of their centre, by Euclidean distance.

namespace corvale {

enum class MainRegion {
    None,
    HelpButton,
    MinimiseButton,
    CloseButton,
    TitleStrip,
    TabInternet,
    TabSystem,
    TabGeneral,
    ProductLogo,
    MakersLogo,
    FooterLine,
    CleanNow,
};

enum class CursorShape { Arrow, Hand, SizeAll };

struct CircleRegion {
    MainRegion region;
    int centreX;
    int centreY;
    int radius;
};

struct BoxRegion {
    MainRegion region;
    int left;
    int top;
    int right;
    int bottom;
};

// The title buttons in hit-test order: help, minimise, close.
extern const CircleRegion kTitleButtons[3];
// The click areas in the order a button release tests them.
extern const BoxRegion kClickRegions[7];
// The footer line shows the hand from further left than it answers clicks.
extern const BoxRegion kFooterHover;
constexpr int kTitleStripHeight = 43;

bool InsideBox(const BoxRegion& box, int x, int y);
bool InsideCircle(const CircleRegion& circle, int x, int y);

// Button down: a title button, the title strip (a drag starts), or nothing.
MainRegion HitTestButtonDown(int x, int y);
// Button up: the first click area hit; the tab of the page on show counts as none.
MainRegion HitTestButtonUp(int x, int y, int currentPage);
CursorShape CursorAt(int x, int y, int currentPage);

} // namespace corvale
