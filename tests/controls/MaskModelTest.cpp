// The mask model on its own: building the display from mask and data, what each
// position accepts, where the caret goes, and the repair after the edit changed the text.
#include "controls/MaskModel.h"

#include <gtest/gtest.h>

#include <string>

namespace corvale {
namespace {

MaskModel TimeModel(const std::string& data = std::string())
{
    MaskModel model;
    model.SetMask("##:##", '_');
    if (!data.empty())
        model.SetData(data);
    return model;
}

TEST(MaskModel, SetMaskShowsPromptsAndLiterals)
{
    const MaskModel model = TimeModel();
    EXPECT_EQ("__:__", model.Display());
    EXPECT_EQ("____", model.GetData());

    MaskModel custom;
    custom.SetMask("?-#", '*');
    EXPECT_EQ("*-*", custom.Display());
    EXPECT_EQ('*', custom.PromptChar());
}

TEST(MaskModel, SetDataFillsPlaceholdersInOrder)
{
    EXPECT_EQ("09:30", TimeModel("0930").Display());
    EXPECT_EQ("9_:__", TimeModel("9").Display());
    EXPECT_EQ("12:34", TimeModel("12345").Display());
    // The data is not checked against the mask.
    const MaskModel letters = TimeModel("ab_d");
    EXPECT_EQ("ab:_d", letters.Display());
    EXPECT_EQ("ab_d", letters.GetData());
}

TEST(MaskModel, LiteralsAreEverythingButHashAndQuestionMark)
{
    MaskModel model;
    model.SetMask("#?:x", '_');
    EXPECT_FALSE(model.IsLiteral(0));
    EXPECT_FALSE(model.IsLiteral(1));
    EXPECT_TRUE(model.IsLiteral(2));
    EXPECT_TRUE(model.IsLiteral(3));
    EXPECT_TRUE(model.IsLiteral(4)); // past the end nothing is typed
}

TEST(MaskModel, AcceptCharByPosition)
{
    MaskModel model;
    model.SetMask("#?:", '_');
    char stored = 0;
    EXPECT_TRUE(model.AcceptChar(0, '7', stored));
    EXPECT_EQ('7', stored);
    EXPECT_FALSE(model.AcceptChar(0, 'a', stored));
    EXPECT_FALSE(model.AcceptChar(0, ' ', stored));
    EXPECT_TRUE(model.AcceptChar(1, 'q', stored));
    EXPECT_EQ('q', stored);
    EXPECT_TRUE(model.AcceptChar(1, 'Z', stored));
    EXPECT_FALSE(model.AcceptChar(1, '5', stored));
    EXPECT_FALSE(model.AcceptChar(1, '\xE9', stored)); // an ANSI letter outside A-Z
    EXPECT_TRUE(model.AcceptChar(2, 'x', stored));
    EXPECT_EQ(':', stored); // the literal stays, the typed character is dropped
    EXPECT_FALSE(model.AcceptChar(3, '1', stored));
}

TEST(MaskModel, NextCaretPosSkipsLiterals)
{
    const MaskModel time = TimeModel();
    EXPECT_EQ(0u, time.NextCaretPos(0, false));
    EXPECT_EQ(3u, time.NextCaretPos(2, false));
    EXPECT_EQ(4u, time.NextCaretPos(4, false));
    EXPECT_EQ(5u, time.NextCaretPos(5, false));
    EXPECT_EQ(9u, time.NextCaretPos(9, false));
    EXPECT_EQ(2u, time.NextCaretPos(3, true));
    EXPECT_EQ(2u, time.NextCaretPos(2, true));
    EXPECT_EQ(1u, time.NextCaretPos(1, true));
    EXPECT_EQ(0u, time.NextCaretPos(0, true));

    MaskModel leading;
    leading.SetMask("::#", '_');
    EXPECT_EQ(0u, leading.NextCaretPos(2, true)); // no placeholder to the left
    EXPECT_EQ(2u, leading.NextCaretPos(0, false));
}

TEST(MaskModel, RepairIgnoresItsOwnText)
{
    MaskModel model = TimeModel("1234");
    const MaskRepair repair = model.Repair("12:34", 2, LastKey::Other);
    EXPECT_FALSE(repair.RestoreText);
}

TEST(MaskModel, RepairAtOrBeyondTheEndChangesNoCharacter)
{
    MaskModel model = TimeModel("1234");
    MaskRepair repair = model.Repair("12:3", 7, LastKey::Delete);
    EXPECT_EQ("12:34", model.Display());
    EXPECT_TRUE(repair.RestoreText);
    EXPECT_EQ(5u, repair.Caret);

    repair = model.Repair("12:34x", 6, LastKey::Backspace);
    EXPECT_EQ("12:34", model.Display());
    EXPECT_EQ(5u, repair.Caret);

    repair = model.Repair("12:34xy", 7, LastKey::Other);
    EXPECT_EQ("12:34", model.Display());
    EXPECT_EQ(5u, repair.Caret);
}

TEST(MaskModel, LetterMaskTakesLetters)
{
    MaskModel model;
    model.SetMask("??.##", '_');
    MaskRepair repair = model.Repair("x__.__", 1, LastKey::Other);
    EXPECT_EQ("x_.__", model.Display());
    EXPECT_EQ(1u, repair.Caret);
    repair = model.Repair("x4_.__", 2, LastKey::Other);
    EXPECT_EQ("x_.__", model.Display());
    EXPECT_EQ(3u, repair.Caret);
}

} // namespace
} // namespace corvale
