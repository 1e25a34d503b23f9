// The splash ends by its timer after three seconds, with its picture and without one.
#include "dialogs/SplashDialog.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

TEST(SplashDialog, EndsByItsTimerWithOrWithoutItsPicture)
{
    for (const UINT image : {UINT{IDG_SPLASH}, UINT{4242}}) {
        CSplashDialog splash(image);
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(splash.DoModal(), IDOK) << image;
        const DWORD elapsed = ::GetTickCount() - start;
        EXPECT_GE(elapsed, CSplashDialog::kShowMilliseconds - 100) << image;
        EXPECT_LT(elapsed, CSplashDialog::kShowMilliseconds + 5000) << image;
        EXPECT_EQ(splash.Picture().LogicalWidth(), image == IDG_SPLASH ? 476 : 0);
    }
}

} // namespace
} // namespace corvale
