#pragma once
// A plain window that offers the option pages what the main window offers them: its
// picture, the settings record, the control font, and the schedule triggers re-armed on
// a commit. It gives
// its keys to the dialog keyboard interface and keeps the commands that reach it.

#include "controls/TestWindows.h"
#include "dialogs/OptionPages.h"
#include "resource.h"
#include "triggers/ScheduleTriggers.h"

#include <vector>

namespace corvale::test {

class TestPageHost : public CStatic, public IPageHost {
public:
    bool Create(bool visible = true)
    {
        if (!CStatic::Create("", WS_POPUP | (visible ? WS_VISIBLE : 0), RECT{0, 0, 468, 344}, nullptr, 0))
            return false;
        m_triggers.SetWindow(m_hWnd);
        if (visible)
            ::SetForegroundWindow(m_hWnd);
        return m_picture.Create("", WS_CHILD | WS_VISIBLE, RECT{0, 0, 20, 20}, m_hWnd, IDC_PICTURE);
    }
    HWND Item(UINT id) const { return ::GetDlgItem(m_picture, static_cast<int>(id)); }

    HWND PageHostWindow() const override { return m_hWnd; }
    CAnimatedPicture& PagePicture() override { return m_picture; }
    CleaningOptions& OptionsRecord() override { return m_options; }
    HFONT ControlFont() const override { return static_cast<HFONT>(m_font.Get()); }
    // Re-arms as the main window does.
    void ScheduleCommitted(const CleaningOptions& before) override { m_triggers.Rearm(before, m_options); }
    bool PreTranslateMessage(MSG* msg) override
    {
        return msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && ::IsDialogMessageA(m_hWnd, msg);
    }

    CleaningOptions m_options;
    CScheduleTriggers m_triggers;
    // The main window's control font.
    GdiObject m_font{::CreateFontA(14, 0, 0, 0, 500, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Ms Sans-Serif")};
    CAnimatedPicture m_picture;
    COptionPages m_pages{*this};
    std::vector<UINT> m_commands;

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_COMMAND && lParam != 0)
            m_commands.push_back(LOWORD(wParam));
        return CStatic::OnMessage(msg, wParam, lParam);
    }
};

// Whether a window other than the host could register the hot key now.
inline bool HotKeyFree(UINT modifiers, UINT key)
{
    HostWindow other;
    other.Create(RECT{0, 0, 1, 1});
    const bool free = ::RegisterHotKey(other, 0x77, modifiers, key) != FALSE;
    (void)::UnregisterHotKey(other, 0x77); // fails when it was not free
    return free;
}

} // namespace corvale::test
