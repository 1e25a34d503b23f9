// The masked edit on a real EDIT window, driven by the key and character messages that
// typing sends, with its text and caret checked after each step.
#include "controls/MaskedEdit.h"

#include "TestWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvale {
namespace {

// The control on a real edit window: each step sends what the keyboard would.
class MaskedEditWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Create(RECT{0, 0, 200, 60}));
        ASSERT_TRUE(m_edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, RECT{10, 10, 110, 30}, m_host, 20));
        m_edit.SetMask("##:##", '_');
    }

    void KeyDown(WPARAM key) { m_edit.SendMessage(WM_KEYDOWN, key, 1); }
    void Type(const std::string& text)
    {
        for (char c : text) {
            KeyDown(static_cast<WPARAM>(::VkKeyScanA(c) & 0xFF));
            m_edit.SendMessage(WM_CHAR, static_cast<unsigned char>(c), 1);
        }
    }
    void PressDelete() { KeyDown(VK_DELETE); }
    void PressBackspace()
    {
        KeyDown(VK_BACK);
        m_edit.SendMessage(WM_CHAR, '\b', 1);
    }
    void Select(int start, int end) { m_edit.SetSel(start, end); }
    void Caret(int position) { Select(position, position); }
    // The caret as an empty selection, or -1 when something is selected.
    int CaretPosition() const
    {
        int start = 0;
        int end = 0;
        m_edit.GetSel(start, end);
        return start == end ? start : -1;
    }
    std::string Text() const { return m_edit.GetText(); }

    test::HostWindow m_host;
    CMaskedEdit m_edit;
};

TEST_F(MaskedEditWindow, TypingFillsPositionsAndSkipsTheColon)
{
    EXPECT_EQ("__:__", Text());
    Caret(0);
    Type("1");
    EXPECT_EQ("1_:__", Text());
    EXPECT_EQ(1, CaretPosition());
    Type("2");
    EXPECT_EQ("12:__", Text());
    EXPECT_EQ(3, CaretPosition());
    Type("3");
    EXPECT_EQ("12:3_", Text());
    EXPECT_EQ(4, CaretPosition());
    Type("4");
    EXPECT_EQ("12:34", Text());
    EXPECT_EQ(5, CaretPosition());
    EXPECT_EQ("1234", m_edit.GetData());
}

TEST_F(MaskedEditWindow, RejectedCharacterVanishesButTheCaretMovesOn)
{
    Caret(0);
    Type("a");
    EXPECT_EQ("__:__", Text());
    EXPECT_EQ(1, CaretPosition());
    Type(" ");
    EXPECT_EQ("__:__", Text());
    EXPECT_EQ(3, CaretPosition()); // from 2, the colon, on to 3
}

TEST_F(MaskedEditWindow, TypingOnTheColonKeepsIt)
{
    m_edit.SetData("12");
    Caret(2);
    Type("7");
    EXPECT_EQ("12:__", Text());
    EXPECT_EQ(3, CaretPosition());
}

TEST_F(MaskedEditWindow, TypingAtTheEndOfAFullTimeChangesNothing)
{
    m_edit.SetData("1234");
    Caret(5);
    Type("5");
    EXPECT_EQ("12:34", Text());
    EXPECT_EQ(5, CaretPosition());
}

TEST_F(MaskedEditWindow, BackspaceBlanksOneDigitAndSkipsTheColon)
{
    m_edit.SetData("1234");
    Caret(4);
    PressBackspace();
    EXPECT_EQ("12:_4", Text());
    EXPECT_EQ(2, CaretPosition());
    PressBackspace();
    EXPECT_EQ("1_:_4", Text());
    EXPECT_EQ(1, CaretPosition());
    PressBackspace();
    EXPECT_EQ("__:_4", Text());
    EXPECT_EQ(0, CaretPosition());
    PressBackspace(); // nothing left of the caret: the edit changes nothing
    EXPECT_EQ("__:_4", Text());
    EXPECT_EQ(0, CaretPosition());
}

TEST_F(MaskedEditWindow, BackspaceRightAfterTheColonOnlyMovesTheCaret)
{
    m_edit.SetData("1234");
    Caret(3);
    PressBackspace();
    EXPECT_EQ("12:34", Text());
    EXPECT_EQ(2, CaretPosition());
}

TEST_F(MaskedEditWindow, DeleteBlanksThePositionAfterTheCaret)
{
    m_edit.SetData("1234");
    Caret(0);
    PressDelete();
    EXPECT_EQ("_2:34", Text());
    EXPECT_EQ(1, CaretPosition());
    Caret(2);
    PressDelete(); // on the colon
    EXPECT_EQ("_2:34", Text());
    EXPECT_EQ(3, CaretPosition());
    PressDelete();
    EXPECT_EQ("_2:_4", Text());
    EXPECT_EQ(4, CaretPosition());
}

TEST_F(MaskedEditWindow, DeletingASelectionBlanksOnlyItsFirstPosition)
{
    m_edit.SetData("1234");
    Select(0, -1);
    PressDelete();
    EXPECT_EQ("_2:34", Text());
    EXPECT_EQ(1, CaretPosition());

    m_edit.SetData("1234");
    Select(0, -1);
    PressBackspace();
    EXPECT_EQ("_2:34", Text());
    EXPECT_EQ(0, CaretPosition());
}

TEST_F(MaskedEditWindow, TypingReplacesASelectionAtItsStart)
{
    m_edit.SetData("1234");
    Select(3, 5);
    Type("9");
    EXPECT_EQ("12:94", Text());
    EXPECT_EQ(4, CaretPosition());
}

TEST_F(MaskedEditWindow, PasteCountsAsTypingItsLastCharacter)
{
    Caret(0);
    KeyDown(VK_CONTROL);
    m_edit.SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("98"));
    EXPECT_EQ("_8:__", Text());
    EXPECT_EQ(3, CaretPosition());
    Caret(0);
    m_edit.SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("987"));
    EXPECT_EQ("_8:__", Text()); // the '7' landed on the colon
    EXPECT_EQ(3, CaretPosition());
}

TEST_F(MaskedEditWindow, CutFromTheStartIsLeftUntilTheNextChange)
{
    m_edit.SetData("1234");
    Select(0, 3);
    KeyDown(VK_CONTROL);
    KeyDown('X');
    // What a cut does to the text, without the clipboard that other tests use.
    m_edit.SendMessage(WM_CLEAR);
    EXPECT_EQ("34", Text());
    EXPECT_EQ("1234", m_edit.GetData());
    Caret(0);
    Type("5");
    EXPECT_EQ("52:34", Text());
    EXPECT_EQ(1, CaretPosition());
}

TEST_F(MaskedEditWindow, AnyOtherKeyForgetsAnEarlierDelete)
{
    m_edit.SetData("1234");
    Caret(4);
    PressDelete();
    EXPECT_EQ("12:3_", Text());
    // Ctrl and X come after the Delete: the cut from the start is not taken for a
    // Delete, which would blank the first position and put the whole time back.
    Select(0, 3);
    KeyDown(VK_CONTROL);
    KeyDown('X');
    m_edit.SendMessage(WM_CLEAR);
    EXPECT_EQ("3_", Text());
}

TEST_F(MaskedEditWindow, SetDataShowsTheStoredTime)
{
    m_edit.SetData("0930");
    EXPECT_EQ("09:30", Text());
    EXPECT_EQ("0930", m_edit.GetData());
    m_edit.SetData("9");
    EXPECT_EQ("9_:__", Text());
    EXPECT_EQ("9___", m_edit.GetData());
}

} // namespace
} // namespace corvale
