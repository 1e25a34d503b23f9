#pragma once
// CCookieKeepDialog: the modal dialog in which the user picks the cookies that cookie
// cleaning spares, from those on the computer into the keep-list.

#include "dialogs/SkinnedDialog.h"
#include "platform/Controls.h"

#include <string>
#include <vector>

namespace corvale {

class CCookieKeepDialog : public CSkinnedDialog {
public:
    explicit CCookieKeepDialog(HWND parent);

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    // Saves the keep-list; a list that could not be saved keeps the dialog open.
    void OnOK() override;
    bool OnCommand(UINT id, UINT notifyCode) override;
    const char* CursorAt(int x, int y) const override;
    void OnButtonRelease(int x, int y) override;

private:
    void FillComputerCookies();
    void LoadKeptCookies();

    CListBox m_computer;
    CListBox m_kept;
    bool m_listUnreadable = false; // a list is there that could not be read
};

} // namespace corvale
