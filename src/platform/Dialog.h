#pragma once
// CDialog: a dialog from a template, modal (DoModal, with its own loop so that every
// message is pre-translated) or modeless (Create). The two differ only in how they end.

#include "platform/Wnd.h"

namespace corvale {

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);

    // Runs the dialog modally, the owner disabled meanwhile; returns the EndDialog code,
    // or -1 when the window could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless; shown only when its template says so.
    bool Create(HWND parent);

    // Modal: leaves the loop with the code. Modeless: hides the window, which lives on.
    void EndDialog(INT_PTR result);

    bool PreTranslateMessage(MSG* msg) override;

    // Ends, as by Cancel, every modal loop running inside this dialog's own: an open
    // menu, the program's modal dialogs above this one and the system's message boxes.
    // Each loop returns to its caller as its window goes.
    void EndNestedModalLoops();

protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Binds template controls to their objects; the base initialisation calls it.
    virtual void DoDataExchange() {}
    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // WM_COMMAND other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*notifyCode*/) { return false; }

    // Data exchange: hooks the template control with this id to the object.
    void DdxControl(int id, CWnd& control);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    HWND m_parent;
    bool m_modal = false;
    bool m_continueModal = false;
    INT_PTR m_result = -1;
};

} // namespace corvale
