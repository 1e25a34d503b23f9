#include "dialogs/DialogRegions.h"

#include <initializer_list>

namespace corvale {

namespace {
constexpr int kFar = 32767;
}

const HotArea kProgressHomeArea{296, 256, 439, 309};

const HotArea kKeepListProductLogo{-kFar, 21, 131, 49};
const HotArea kKeepListMakersLogoCursor{386, 291, kFar, kFar};
// Wider than the hand-cursor area: a release left of the hand still opens the site.
const HotArea kKeepListMakersLogoClick{289, 291, kFar, kFar};
const HotArea kKeepListFooterLine{11, 321, 279, kFar};
const HotArea kKeepListCancel{428, 27, 520, 50};
const HotArea kKeepListOk{428, 64, 520, 89};

const HotArea kAboutHelp{244, 37, 270, 51};
const HotArea kAboutHomeTop{279, 37, 324, 51};
const HotArea kAboutProductPage{332, 37, 410, 51};
const HotArea kAboutHomeBottom{329, 266, 462, 310};

DialogCursor ProgressCursorAt(int x, int y)
{
    if (y < kDragStripHeight)
        return DialogCursor::SizeAll;
    return kProgressHomeArea.Contains(x, y) ? DialogCursor::Hand : DialogCursor::Arrow;
}

DialogCursor KeepListCursorAt(int x, int y)
{
    for (const HotArea* area :
         {&kKeepListProductLogo, &kKeepListMakersLogoCursor, &kKeepListFooterLine, &kKeepListCancel, &kKeepListOk}) {
        if (area->Contains(x, y))
            return DialogCursor::Hand;
    }
    return y < kDragStripHeight ? DialogCursor::SizeAll : DialogCursor::Arrow;
}

KeepListArea KeepListClickAt(int x, int y)
{
    if (kKeepListProductLogo.Contains(x, y))
        return KeepListArea::ProductLogo;
    if (kKeepListMakersLogoClick.Contains(x, y))
        return KeepListArea::MakersLogo;
    if (kKeepListCancel.Contains(x, y))
        return KeepListArea::Cancel;
    if (kKeepListOk.Contains(x, y))
        return KeepListArea::Ok;
    return KeepListArea::None;
}

AboutArea AboutAreaAt(int x, int y)
{
    if (kAboutHelp.Contains(x, y))
        return AboutArea::Help;
    if (kAboutHomeTop.Contains(x, y))
        return AboutArea::HomeTop;
    if (kAboutHomeBottom.Contains(x, y))
        return AboutArea::HomeBottom;
    if (kAboutProductPage.Contains(x, y))
        return AboutArea::ProductPage;
    return AboutArea::None;
}

DialogCursor AboutCursorAt(int x, int y)
{
    if (AboutAreaAt(x, y) != AboutArea::None)
        return DialogCursor::Hand;
    return y < kDragStripHeight ? DialogCursor::SizeAll : DialogCursor::Arrow;
}

} // namespace corvale
