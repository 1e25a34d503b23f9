#pragma once
// Thin wrappers over the standard controls: creation with the right class name and
// the few messages the program sends them.

#include "platform/Wnd.h"

#include <commctrl.h>

#include <string>

namespace corvale {

class CButton : public CWnd {
public:
    bool Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        return CreateEx(0, "BUTTON", text, style, rect, parent, id);
    }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
    void SetIcon(HICON icon) const { SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)); }
};

class CStatic : public CWnd {
public:
    bool Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        return CreateEx(0, "STATIC", text, style, rect, parent, id);
    }
};

class CEdit : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        return CreateEx(0, "EDIT", "", style, rect, parent, id);
    }
    std::string GetText() const;
    void SetText(const std::string& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    void GetSel(int& start, int& end) const;
    void SetSel(int start, int end) const { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
};

class CListBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int AddString(const std::string& text) const
    {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int DeleteString(int index) const
    {
        return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index)));
    }
    // First item that begins with the text, ignoring case; -1 when none.
    int FindString(int startAfter, const std::string& text) const
    {
        return static_cast<int>(
            SendMessage(LB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text.c_str())));
    }
    std::string GetText(int index) const;
    int GetSelCount() const { return static_cast<int>(SendMessage(LB_GETSELCOUNT)); }
    void ResetContent() const { SendMessage(LB_RESETCONTENT); }
};

class CHotKeyCtrl : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id)
    {
        return CreateEx(0, HOTKEY_CLASSA, "", style, rect, parent, id);
    }
    void SetHotKey(WORD virtualKey, WORD modifiers) const
    {
        SendMessage(HKM_SETHOTKEY, MAKEWORD(virtualKey, modifiers));
    }
    void GetHotKey(WORD& virtualKey, WORD& modifiers) const
    {
        const DWORD code = static_cast<DWORD>(SendMessage(HKM_GETHOTKEY));
        virtualKey = LOBYTE(LOWORD(code));
        modifiers = HIBYTE(LOWORD(code));
    }
};

class CToolTipCtrl : public CWnd {
public:
    bool Create(HWND owner);
    // A rectangular tool of the owner window, identified by id.
    bool AddTool(HWND owner, UINT id, const RECT& rect, const char* text) const;
    void Activate(bool active) const { SendMessage(TTM_ACTIVATE, active); }
    void RelayEvent(const MSG* msg) const { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
};

} // namespace corvale
