#include "platform/Dialog.h"

#include "platform/MessagePump.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvale {
namespace {

// The modal dialogs running on the user-interface thread, innermost last.
std::vector<CDialog*>& ModalDialogs()
{
    static std::vector<CDialog*> dialogs;
    return dialogs;
}

BOOL CALLBACK CancelSystemDialog(HWND hwnd, LPARAM)
{
    char className[16] = {};
    ::GetClassNameA(hwnd, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && !CWnd::FromHandle(hwnd) && ::IsWindowVisible(hwnd))
        ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

INT_PTR CDialog::DoModal()
{
    if (IsAttached())
        return -1;
    m_modal = true;
    m_continueModal = true;
    m_result = -1;
    // A pop-up is owned by the top-level window of the parent it is given, and that is
    // the window a modal run must disable, as DialogBox does.
    HWND owner = m_parent ? ::GetAncestor(m_parent, GA_ROOT) : nullptr;
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd || !IsAttached()) {
        if (hwnd && ::IsWindow(hwnd))
            ::DestroyWindow(hwnd); // made, but never tied to this object
        m_modal = false;
        return -1;
    }
    // The owner is disabled only once the dialog exists, as DialogBox does.
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    if (m_continueModal && !(::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE))
        ::ShowWindow(hwnd, SW_SHOWNORMAL);

    ModalDialogs().push_back(this);
    while (m_continueModal && IsAttached()) {
        if (!PumpMessage())
            break; // WM_QUIT, which PumpMessage posted again for the outer loop
    }
    auto& dialogs = ModalDialogs();
    dialogs.erase(std::find(dialogs.begin(), dialogs.end(), this));

    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    if (IsAttached()) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (owner && ::GetActiveWindow() == m_hWnd)
            ::SetActiveWindow(owner);
        DestroyWindow();
    }
    m_modal = false;
    return m_result;
}

bool CDialog::Create(HWND parent)
{
    if (IsAttached())
        return false;
    m_parent = parent;
    m_modal = false;
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), parent,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd && !IsAttached()) {
        if (::IsWindow(hwnd))
            ::DestroyWindow(hwnd); // made, but never tied to this object
        return false;
    }
    return hwnd != nullptr;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_modal) {
        m_result = result;
        m_continueModal = false;
        // Wakes the modal loop if it waits in GetMessage.
        if (m_hWnd)
            PostMessage(WM_NULL);
    } else if (m_hWnd) {
        ShowWindow(SW_HIDE);
    }
}

void CDialog::EndNestedModalLoops()
{
    ::EndMenu();
    const auto& dialogs = ModalDialogs();
    const auto self = std::find(dialogs.begin(), dialogs.end(), this);
    if (self != dialogs.end()) {
        // A copy, innermost first: a dialog's OnCancel may run code of its own.
        const std::vector<CDialog*> nested(self + 1, dialogs.end());
        for (auto it = nested.rbegin(); it != nested.rend(); ++it)
            (*it)->OnCancel();
    }
    ::EnumThreadWindows(::GetCurrentThreadId(), CancelSystemDialog, 0);
}

bool CDialog::PreTranslateMessage(MSG* msg)
{
    // Tab, Enter and Escape get the dialog keyboard interface, for modeless dialogs too.
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hWnd)
        return ::IsDialogMessageA(m_hWnd, msg) != FALSE;
    return false;
}

LRESULT CDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        if (id == IDOK && (code == BN_CLICKED || lParam == 0)) {
            OnOK();
            return 0;
        }
        if (id == IDCANCEL && (code == BN_CLICKED || lParam == 0)) {
            OnCancel();
            return 0;
        }
        if (OnCommand(id, code))
            return 0;
        return Default();
    }
    default: return Default();
    }
}

BOOL CDialog::OnInitDialog()
{
    DoDataExchange();
    return TRUE;
}

void CDialog::DdxControl(int id, CWnd& control)
{
    if (!control.IsAttached())
        control.SubclassDlgItem(static_cast<UINT>(id), m_hWnd);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Everything after WM_INITDIALOG reaches the object through its subclass hook, which
    // sits in front of the dialog manager; this procedure then asks for default handling.
    if (msg != WM_INITDIALOG || CWnd::FromHandle(hwnd))
        return FALSE;
    auto* self = reinterpret_cast<CDialog*>(lParam);
    if (!self || !self->Attach(hwnd, true))
        return TRUE;
    return self->Dispatch(msg, wParam, lParam);
}

} // namespace corvale
