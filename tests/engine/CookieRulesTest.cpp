// Cookie names, the keep rule and the keep-list text.
#include <gtest/gtest.h>

#include <ostream>

#include "engine/CookieRules.h"

namespace corvale {
namespace {

struct NameCase {
    const char* from;
    const char* name;
};

void PrintTo(const NameCase& value, std::ostream* os)
{
    *os << '"' << value.from << '"';
}

class CookieFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CookieFileNameTest, CutsAtTheBracketThenTakesWhatFollowsTheAt)
{
    EXPECT_EQ(GetParam().name, CookieNameOfFile(GetParam().from));
}

INSTANTIATE_TEST_SUITE_P(Files, CookieFileNameTest,
                         ::testing::Values(NameCase{"A@B[1].txt", "B"}, NameCase{"A@B.C[2].txt", "B.C"},
                                           NameCase{"A.ini", "A.ini"}, NameCase{"A@[1].txt", ""},
                                           NameCase{"A@B@C[1].txt", "B@C"}, NameCase{"A[1]@B.txt", "A"}));

class CookieKeyTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CookieKeyTest, CutsAtTheLastDotThenTakesWhatFollowsTheAt)
{
    EXPECT_EQ(GetParam().name, CookieKeyOfUrl(GetParam().from));
}

INSTANTIATE_TEST_SUITE_P(Urls, CookieKeyTest,
                         ::testing::Values(NameCase{"Cookie:A@B.C/", "B"}, NameCase{"Cookie:A@D.B.C/", "D.B"},
                                           NameCase{"Cookie:A@localhost/", "localhost/"}, NameCase{".Cookie:A@B", "B"},
                                           NameCase{"no-at.example", "no-at"}));

TEST(KeepRuleTest, IsASubstringSearchBlindToRecords)
{
    const std::optional<std::string> keep = std::string("abcd\nD.B\n");
    EXPECT_TRUE(IsCookieFileKept(keep, "bc"));
    EXPECT_TRUE(IsCookieFileKept(keep, "abc"));
    EXPECT_TRUE(IsCookieFileKept(keep, "B"));
    EXPECT_TRUE(IsCookieFileKept(keep, "d\nD"));
    EXPECT_FALSE(IsCookieFileKept(keep, "x"));
    EXPECT_FALSE(IsCookieFileKept(keep, "BC"));
    EXPECT_FALSE(IsCookieFileKept(std::string("B\n"), "D.B"));
    EXPECT_TRUE(IsCookieEntryKept(keep, "D.B"));
    EXPECT_FALSE(IsCookieEntryKept(keep, "ABC"));
}

TEST(KeepRuleTest, AnAbsentListKeepsNothingAndAnEmptyOneOnlyEmptyFileNames)
{
    EXPECT_FALSE(IsCookieFileKept(std::nullopt, ""));
    EXPECT_FALSE(IsCookieEntryKept(std::nullopt, ""));
    EXPECT_TRUE(IsCookieFileKept(std::string(), ""));
    EXPECT_FALSE(IsCookieFileKept(std::string(), "B"));
    EXPECT_FALSE(IsCookieEntryKept(std::string(), ""));
}

TEST(KeepRuleTest, IndexDatAndDotNamesAreNoCookies)
{
    EXPECT_FALSE(IsCookieFileName("index.dat"));
    EXPECT_FALSE(IsCookieFileName("."));
    EXPECT_FALSE(IsCookieFileName(".."));
    EXPECT_FALSE(IsCookieFileName(".hidden@B[1].txt"));
    EXPECT_TRUE(IsCookieFileName("Index.dat")) << "the test is case-sensitive";
    EXPECT_TRUE(IsCookieFileName("A@B[1].txt"));
}

TEST(KeepListTextTest, SplitsAtLineFeedsAndDropsAnUnfinishedLastName)
{
    EXPECT_EQ((std::vector<std::string>{"beta", "", "alpha"}), SplitKeepList("beta\n\nalpha\nrest"));
    EXPECT_TRUE(SplitKeepList("").empty());
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), SplitKeepList(FormatKeepList({"a", "b"})));
}

} // namespace
} // namespace corvale
