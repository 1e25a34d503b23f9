// The keep-list file "coockies.sav": its bytes, and a save that fails.
#include <gtest/gtest.h>

#include "engine/CookieKeepList.h"
#include "support/EngineScratch.h"

namespace corvale {
namespace {

class KeepListFileTest : public ::testing::Test {
protected:
    test::ScratchFolder m_folder;
    CookieKeepList m_list{m_folder / "coockies.sav"};
};

TEST_F(KeepListFileTest, SavesEachNameWithALineFeedAndNothingElse)
{
    ASSERT_TRUE(m_list.Save({"beta", "alpha"}));
    EXPECT_EQ(std::string("beta\nalpha\n"), test::ReadFileBytes(m_list.Path()));
    EXPECT_EQ(std::string("beta\nalpha\n"), m_list.LoadText());
    EXPECT_EQ((std::vector<std::string>{"coockies.sav"}), m_folder.Entries()) << "nothing is left beside the list";

    ASSERT_TRUE(m_list.Save({}));
    EXPECT_EQ(std::string(), test::ReadFileBytes(m_list.Path()));
    EXPECT_EQ(std::string(), m_list.LoadText()) << "an empty list is present";
}

TEST_F(KeepListFileTest, AMissingFileIsAbsentAndAZeroByteEndsTheText)
{
    EXPECT_EQ(std::nullopt, m_list.LoadText());
    test::WriteFileBytes(m_list.Path(), std::string("go\n\0google\n", 11));
    EXPECT_EQ(std::string("go\n"), m_list.LoadText());
}

TEST_F(KeepListFileTest, ASaveThatCannotWriteLeavesTheOldListAsItWas)
{
    ASSERT_TRUE(m_list.Save({"keep.me"}));
    // The bytes are written beside the list first; a folder in that place fails it.
    m_folder.Folder("coockies.sav.new");
    EXPECT_FALSE(m_list.Save({"other"}));
    EXPECT_EQ(std::string("keep.me\n"), m_list.LoadText());
}

TEST_F(KeepListFileTest, ASaveThatCannotReplaceLeavesTheOldListAndNoPendingFile)
{
    ASSERT_TRUE(m_list.Save({"keep.me"}));
    HANDLE holder = ::CreateFileA(m_list.Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    const bool saved = m_list.Save({"other"});
    ::CloseHandle(holder);

    EXPECT_FALSE(saved);
    EXPECT_EQ(std::string("keep.me\n"), m_list.LoadText());
    EXPECT_FALSE(m_folder.Exists("coockies.sav.new"));
}

TEST(SystemKeepListTest, LivesInTheSystemFolder)
{
    const std::string path = test::SystemFolder() + "\\coockies.sav";
    test::ScopedFileRestore restore(path);
    EXPECT_EQ(path, CookieKeepList().Path());
    ASSERT_TRUE(CookieKeepList().Save({"beta", "alpha"}));
    EXPECT_EQ(std::string("beta\nalpha\n"), test::ReadFileBytes(path));
}

} // namespace
} // namespace corvale
