#pragma once
// CProgressWindow: the skinned window in which a reporting run lists what it did, with
// the two check boxes through which the user changes the progress settings.

#include "controls/OptionCheckBox.h"
#include "dialogs/SkinnedDialog.h"
#include "platform/Controls.h"
#include "settings/CleaningOptions.h"

namespace corvale {

class CProgressWindow : public CSkinnedDialog {
public:
    // The check boxes are written back into options when the window closes.
    explicit CProgressWindow(CleaningOptions& options);

    // Modeless from its template; the caller shows it.
    bool Create(HWND mainWindow) { return CDialog::Create(mainWindow); }
    // Appends the text as the last line; the list does not scroll to it.
    void AddLine(const char* text);

    int AutoCloseFlag = 0;
    int ShowProgressFlag = 1;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    const char* CursorAt(int x, int y) const override;
    void OnButtonRelease(int x, int y) override;

private:
    CleaningOptions& m_options;
    CListBox m_lines;
    CButton m_close;
    COptionCheckBox m_autoCloseBox;
    COptionCheckBox m_showProgressBox;
};

} // namespace corvale
