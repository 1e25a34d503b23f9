// The packing of the option flags into the page values, and the Clean Now decision.
#include <gtest/gtest.h>

#include <ostream>

#include "settings/CleaningOptions.h"

namespace corvale {
namespace {

struct PageCase {
    OptionPage page;
    int flagCount;
};

void PrintTo(const PageCase& value, std::ostream* os)
{
    *os << value.page.valueName;
}

class OptionPageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(OptionPageTest, EachFlagHasItsOwnBitAndNoOtherPageIsTouched)
{
    const OptionPage& page = GetParam().page;
    for (int bit = 0; bit < page.flagCount; ++bit) {
        CleaningOptions options;
        UnpackPage(options, page, 1u << bit);
        for (int i = 0; i < kOptionCount; ++i)
            EXPECT_EQ(i == page.firstFlag + bit ? 1 : 0, options.OptionFlags[i]) << "flag " << i;
        EXPECT_EQ(1u << bit, PackPage(options, page));
    }
    CleaningOptions all;
    all.OptionFlags.fill(1);
    EXPECT_EQ((1u << GetParam().flagCount) - 1, PackPage(all, page));
}

INSTANTIATE_TEST_SUITE_P(Pages, OptionPageTest,
                         ::testing::Values(PageCase{kOptionPages[0], 5}, PageCase{kOptionPages[1], 11},
                                           PageCase{kOptionPages[2], 7}));

TEST(CleanNowDecisionTest, OnlyInternetAndSystemOptionsCount)
{
    CleaningOptions options;
    EXPECT_FALSE(HasCleaningOptionSelected(options));
    for (int i = Option::OnLogoff; i <= Option::DailyAt; ++i)
        options.OptionFlags[i] = 1;
    EXPECT_FALSE(HasCleaningOptionSelected(options)) << "triggers are not cleaning options";
    for (int i = Option::IeTempFiles; i <= Option::NoRecentDocsHistory; ++i) {
        CleaningOptions one;
        one.OptionFlags[i] = 1;
        EXPECT_TRUE(HasCleaningOptionSelected(one)) << "flag " << i;
    }
}

} // namespace
} // namespace corvale
