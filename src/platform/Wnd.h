#pragma once
// CWnd ties one window to its C++ object and dispatches its messages to a virtual
// OnMessage. Windows are hooked with SetWindowSubclass, which unhooks safely in any
// order; the hook is removed at WM_NCDESTROY, and the object lets go of its handle
// only when its outermost dispatch has returned (handlers may pump and be re-entered).

#include <windows.h>

#include <memory>

namespace corvale {

class CWnd {
public:
    CWnd() = default;
    // Destroys a window this object created; a subclassed dialog item is only unhooked.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    bool IsAttached() const { return m_hWnd != nullptr; }

    // The object attached to a window, or null when the window is not ours.
    static CWnd* FromHandle(HWND hwnd);

    // Creates a child or pop-up window of an existing class and hooks it.
    bool CreateEx(DWORD exStyle, const char* className, const char* text, DWORD style, const RECT& rect, HWND parent,
                  UINT id);
    // Hooks the child with the given id of a dialog (the dialog keeps owning it).
    bool SubclassDlgItem(UINT id, HWND parent);
    bool SubclassWindow(HWND hwnd);
    // Unhooks without destroying; the window lives on with its own procedure.
    HWND UnsubclassWindow();
    bool DestroyWindow();

    // Called for each message of this window or its children before dispatch, from
    // the innermost window outwards; true when the message was handled.
    virtual bool PreTranslateMessage(MSG*) { return false; }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, msg, wParam, lParam) != FALSE;
    }
    bool ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command) != FALSE; }
    bool MoveWindow(int x, int y, int width, int height, bool repaint = true) const
    {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint) != FALSE;
    }
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetFont(HFONT font, bool redraw = true) const
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }

    // Deletes a heap object once no window of the thread is inside its dispatch: while
    // one is (a button whose click opened a modal dialog, a list box tracking its scroll
    // bar), the object loses its window at once and is deleted when the outermost
    // dispatch returns. A frame of it, of a member or of a child still on the stack then
    // never touches freed memory.
    static void DeleteWhenIdle(CWnd* wnd);

protected:
    // The message map: a switch that forwards to typed handlers and ends in Default().
    virtual LRESULT OnMessage(UINT, WPARAM, LPARAM) { return Default(); }
    // Default processing of the message now being dispatched.
    LRESULT Default();
    // A notification (EN_UPDATE, BN_CLICKED...) that the parent reflected back to this
    // control; true when handled, which keeps it from the parent.
    virtual bool OnReflectedCommand(UINT /*notifyCode*/) { return false; }
    // After the window is gone and the outermost dispatch returned.
    virtual void PostNcDestroy() {}
    // Lets go of every window of the object at once, when the object itself is let go
    // of: its own (destroyed, or only unhooked when it is not its own) and any other it
    // made beside it.
    virtual void ReleaseWindows();

    // Shared by the dialog class, which attaches during WM_INITDIALOG.
    bool Attach(HWND hwnd, bool ownsWindow);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

private:
    struct Frame {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        bool defaulted;
    };

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData);
    void Detach();

    bool m_ownsWindow = false;
    bool m_destroying = false; // from WM_DESTROY on
    bool m_windowGone = false; // after WM_NCDESTROY
    // The innermost dispatch of this window; null when none is on the stack.
    Frame* m_frame = nullptr;
};

// Owner of a heap window object: what a page or a window rebuilds while its own
// controls may be inside their dispatch.
struct WndDeleter {
    void operator()(CWnd* wnd) const { CWnd::DeleteWhenIdle(wnd); }
};
template <typename T> using WndPtr = std::unique_ptr<T, WndDeleter>;
template <typename T, typename... Args> WndPtr<T> MakeWnd(Args&&... args)
{
    return WndPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace corvale
