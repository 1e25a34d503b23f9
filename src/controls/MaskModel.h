#pragma once
// MaskModel keeps a text in the shape of a mask: '#' positions take a digit, '?' positions
// a letter, every other mask character is shown as it stands. It also decides how to
// repair the text after the edit control has changed it, which keeps the control thin.

#include <cstddef>
#include <string>

namespace corvale {

// The key whose key-down message came last; only Delete and Backspace matter.
enum class LastKey { Other, Delete, Backspace };

// What the control does after an edit: put Display back and move the caret, or leave the
// edit's own text alone.
struct MaskRepair {
    bool RestoreText = false;
    std::size_t Caret = 0;
};

class MaskModel {
public:
    static constexpr char kDefaultPrompt = '_';

    void SetMask(const std::string& mask, char promptChar);
    void SetData(const std::string& data);
    std::string GetData() const;

    bool IsLiteral(std::size_t position) const;
    // The character to store at position for a typed one; the literal itself at a
    // literal position, false when the position does not take the character.
    bool AcceptChar(std::size_t position, char typed, char& stored) const;
    // Where the caret goes from position, skipping literals: leftwards after Backspace,
    // rightwards otherwise.
    std::size_t NextCaretPos(std::size_t position, bool afterBackspace) const;

    // Brings Display in line with what the edit made of it (text, selection start s).
    MaskRepair Repair(const std::string& text, std::size_t selectionStart, LastKey lastKey);

    const std::string& Mask() const { return m_mask; }
    const std::string& Display() const { return m_display; }
    char PromptChar() const { return m_promptChar; }

private:
    // Blanks one position: its literal, or the prompt in a placeholder.
    void Blank(std::size_t position);

    char m_promptChar = kDefaultPrompt;
    std::string m_mask;
    std::string m_display;
};

} // namespace corvale
