#include "controls/MaskModel.h"

namespace corvale {
namespace {

constexpr char kDigitPlaceholder = '#';
constexpr char kLetterPlaceholder = '?';

// Byte-wise and locale-free: the text is ANSI and only plain ASCII digits and letters count.
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

void MaskModel::SetMask(const std::string& mask, char promptChar)
{
    m_mask = mask;
    m_promptChar = promptChar;
    SetData(std::string());
}

void MaskModel::SetData(const std::string& data)
{
    m_display = m_mask;
    std::size_t next = 0;
    for (std::size_t i = 0; i < m_mask.size(); ++i) {
        if (IsLiteral(i))
            continue;
        m_display[i] = next < data.size() ? data[next++] : m_promptChar;
    }
}

std::string MaskModel::GetData() const
{
    std::string data;
    for (std::size_t i = 0; i < m_display.size(); ++i) {
        if (!IsLiteral(i))
            data += m_display[i];
    }
    return data;
}

bool MaskModel::IsLiteral(std::size_t position) const
{
    if (position >= m_mask.size())
        return true;
    return m_mask[position] != kDigitPlaceholder && m_mask[position] != kLetterPlaceholder;
}

bool MaskModel::AcceptChar(std::size_t position, char typed, char& stored) const
{
    if (position >= m_mask.size())
        return false;
    switch (m_mask[position]) {
    case kDigitPlaceholder:
        if (!IsDigit(typed))
            return false;
        stored = typed;
        return true;
    case kLetterPlaceholder:
        if (!IsLetter(typed))
            return false;
        stored = typed;
        return true;
    default: stored = m_mask[position]; return true;
    }
}

std::size_t MaskModel::NextCaretPos(std::size_t position, bool afterBackspace) const
{
    if (afterBackspace) {
        for (std::size_t i = position; i > 0; --i) {
            if (!IsLiteral(i - 1))
                return i;
        }
        return 0;
    }
    while (position < m_mask.size() && IsLiteral(position))
        ++position;
    return position;
}

void MaskModel::Blank(std::size_t position)
{
    if (position >= m_display.size())
        return;
    m_display[position] = IsLiteral(position) ? m_mask[position] : m_promptChar;
}

MaskRepair MaskModel::Repair(const std::string& text, std::size_t selectionStart, LastKey lastKey)
{
    MaskRepair repair;
    if (text == m_display)
        return repair; // also the echo of our own SetWindowText
    std::size_t caret = selectionStart;
    switch (lastKey) {
    case LastKey::Backspace: Blank(selectionStart); break;
    case LastKey::Delete:
        Blank(selectionStart);
        caret = selectionStart + 1;
        break;
    case LastKey::Other: {
        // A removal that leaves the caret at 0 (a cut from the start) has no typed
        // character to judge: the edit keeps its text until the next change.
        if (selectionStart == 0)
            return repair;
        const std::size_t typedAt = selectionStart - 1;
        char stored = 0;
        if (typedAt < text.size() && typedAt < m_display.size() && AcceptChar(typedAt, text[typedAt], stored))
            m_display[typedAt] = stored;
        break;
    }
    }
    repair.RestoreText = true;
    repair.Caret = NextCaretPos(caret, lastKey == LastKey::Backspace);
    // The edit would clamp it anyway; the model says where the caret really ends up.
    if (repair.Caret > m_display.size())
        repair.Caret = m_display.size();
    return repair;
}

} // namespace corvale
