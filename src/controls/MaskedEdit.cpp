#include "controls/MaskedEdit.h"

namespace corvale {

void CMaskedEdit::SetMask(const std::string& mask, char promptChar)
{
    m_model.SetMask(mask, promptChar);
    SetText(m_model.Display());
}

void CMaskedEdit::SetData(const std::string& data)
{
    m_model.SetData(data);
    SetText(m_model.Display());
}

LRESULT CMaskedEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN) {
        // Delete is carried out by the edit on this very message and Backspace on the
        // WM_CHAR that follows; either way the EN_UPDATE comes after the flag is set.
        switch (wParam) {
        case VK_DELETE: m_lastKey = LastKey::Delete; break;
        case VK_BACK: m_lastKey = LastKey::Backspace; break;
        default: m_lastKey = LastKey::Other; break;
        }
    }
    return CEdit::OnMessage(msg, wParam, lParam);
}

bool CMaskedEdit::OnReflectedCommand(UINT notifyCode)
{
    if (notifyCode != EN_UPDATE)
        return false;
    OnUpdate();
    return true;
}

void CMaskedEdit::OnUpdate()
{
    int start = 0;
    int end = 0;
    GetSel(start, end);
    const MaskRepair repair = m_model.Repair(GetText(), static_cast<std::size_t>(start), m_lastKey);
    if (!repair.RestoreText)
        return;
    // Setting the text sends EN_UPDATE again; the model sees its own Display and stops.
    SetText(m_model.Display());
    const int caret = static_cast<int>(repair.Caret);
    SetSel(caret, caret);
    SendMessage(EM_SCROLLCARET);
}

} // namespace corvale
