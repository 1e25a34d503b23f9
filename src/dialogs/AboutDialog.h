#pragma once
// CAboutDialog: the skinned about box with the licence agreement in an HTML view, a Close
// button, and hot areas painted into the skin that open the help file and the maker's pages.

#include "controls/HtmlCtrl.h"
#include "dialogs/SkinnedDialog.h"
#include "platform/Controls.h"

#include <string>

namespace corvale {

class CAboutDialog : public CSkinnedDialog {
public:
    explicit CAboutDialog(HWND owner = nullptr);

protected:
    BOOL OnInitDialog() override;
    const char* CursorAt(int x, int y) const override;
    void OnButtonRelease(int x, int y) override;

    // Where the hot areas lead: the user's browser and HTML Help.
    virtual void OpenPage(const char* url);
    virtual void OpenHelp(const std::string& helpFile);

private:
    CButton m_close;
    CHtmlCtrl m_html;
};

// Runs a new about dialog modally over the owner's window.
void ShowAboutDialog(HWND owner);

} // namespace corvale
