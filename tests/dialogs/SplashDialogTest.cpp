// The splash ends by its timer after three seconds, with its picture and without one.
#include "dialogs/SplashDialog.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

class WatchedSplash : public CSplashDialog {
public:
    using CSplashDialog::CSplashDialog;
    SIZE sizeWhenTimed{};

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_TIMER) {
            const RECT window = GetWindowRect();
            sizeWhenTimed = {window.right - window.left, window.bottom - window.top};
        }
        return CSplashDialog::OnMessage(msg, wParam, lParam);
    }
};

TEST(SplashDialog, EndsByItsTimerWithOrWithoutItsPicture)
{
    const struct {
        UINT image;
        LONG width, height; // 0: the template's size, not checked
    } cases[] = {{IDG_SPLASH, 476, 248}, {4242, 0, 0}};
    for (const auto& c : cases) {
        WatchedSplash splash(c.image);
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(splash.DoModal(), IDOK) << c.image;
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_GE(elapsed, CSplashDialog::kShowMilliseconds - 100) << c.image;
        EXPECT_LT(elapsed, CSplashDialog::kShowMilliseconds + 5000) << c.image;
        if (c.width) {
            EXPECT_EQ(splash.sizeWhenTimed.cx, c.width);
            EXPECT_EQ(splash.sizeWhenTimed.cy, c.height);
        }
    }
}

} // namespace
} // namespace corvale
