#pragma once
// The hot areas painted into the skins of the progress window, the cookie keep-list
// dialog and the about dialog, in client pixels. Unlike the main window's, their
// bounds are inclusive.

namespace corvale {

struct HotArea {
    int left;
    int top;
    int right;
    int bottom;
    bool Contains(int x, int y) const { return left <= x && x <= right && top <= y && y <= bottom; }
};

// A press above this line starts moving the window.
constexpr int kDragStripHeight = 18;

enum class DialogCursor { Arrow, Hand, SizeAll };

// Progress window: the maker's logo and link.
extern const HotArea kProgressHomeArea;
DialogCursor ProgressCursorAt(int x, int y);

// Cookie keep-list dialog.
enum class KeepListArea { None, ProductLogo, MakersLogo, FooterLine, Cancel, Ok };
extern const HotArea kKeepListProductLogo;
extern const HotArea kKeepListMakersLogoCursor;
extern const HotArea kKeepListMakersLogoClick;
extern const HotArea kKeepListFooterLine;
extern const HotArea kKeepListCancel;
extern const HotArea kKeepListOk;
DialogCursor KeepListCursorAt(int x, int y);
// What a button release at the point does; the footer line answers no click.
KeepListArea KeepListClickAt(int x, int y);

// About dialog.
enum class AboutArea { None, Help, HomeTop, ProductPage, HomeBottom };
extern const HotArea kAboutHelp;
extern const HotArea kAboutHomeTop;
extern const HotArea kAboutProductPage;
extern const HotArea kAboutHomeBottom;
AboutArea AboutAreaAt(int x, int y);
DialogCursor AboutCursorAt(int x, int y);

} // namespace corvale
