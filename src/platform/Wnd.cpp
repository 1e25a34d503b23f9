#include "platform/Wnd.h"

#include <commctrl.h>

#include <unordered_map>
#include <vector>

namespace corvale {
namespace {

constexpr UINT_PTR kSubclassId = 0xC0A1;

// Every window lives on the one user-interface thread: one lookup from window to object,
// one count of the dispatches on the thread's stack, and the objects let go of meanwhile.
std::unordered_map<HWND, CWnd*>& Registry()
{
    static std::unordered_map<HWND, CWnd*> registry;
    return registry;
}
int g_dispatchDepth = 0;
std::vector<CWnd*> g_released;

void DeleteReleased()
{
    // One at a time: a destructor may destroy windows, dispatch and release more.
    while (!g_released.empty()) {
        CWnd* wnd = g_released.back();
        g_released.pop_back();
        delete wnd;
    }
}

// One way into object code on the thread's stack: a window's message, a notification
// reflected to a child, the end of a window. The count comes back however the code
// returns, and what was let go of meanwhile goes once the outermost way has returned.
class DispatchScope {
public:
    DispatchScope() { ++g_dispatchDepth; }
    ~DispatchScope()
    {
        if (--g_dispatchDepth == 0)
            DeleteReleased();
    }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

// No exception may cross a window procedure: code that throws has returned the fallback.
template <typename Result, typename Code> Result Guarded(Code code, Result fallback)
{
    try {
        return code();
    } catch (...) {
        return fallback;
    }
}
template <typename Code> void Guarded(Code code)
{
    try {
        code();
    } catch (...) {
        return; // it ran as far as it could
    }
}

} // namespace

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    if (m_ownsWindow && !m_frame && !m_destroying)
        ::DestroyWindow(m_hWnd);
    // Destroyed from inside its own dispatch or destruction, or a dialog item the dialog
    // still owns: only unhook, so no message reaches a dead object.
    Detach();
}

void CWnd::DeleteWhenIdle(CWnd* wnd)
{
    if (!wnd)
        return;
    // Its windows go now: left on screen they would still paint and send commands.
    wnd->ReleaseWindows();
    g_released.push_back(wnd);
    if (g_dispatchDepth == 0)
        DeleteReleased();
}

void CWnd::ReleaseWindows()
{
    // One inside its own WM_DESTROY or WM_NCDESTROY is going already.
    if (!m_hWnd || m_destroying)
        return;
    if (m_ownsWindow)
        ::DestroyWindow(m_hWnd);
    else
        Detach();
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    auto& registry = Registry();
    auto found = registry.find(hwnd);
    return found == registry.end() ? nullptr : found->second;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* text, DWORD style, const RECT& rect, HWND parent,
                    UINT id)
{
    if (m_hWnd)
        return false;
    const bool child = (style & WS_CHILD) != 0;
    HWND hwnd = ::CreateWindowExA(
        exStyle, className, text, style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
        child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!hwnd)
        return false;
    if (!Attach(hwnd, true)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, HWND parent)
{
    HWND item = ::GetDlgItem(parent, static_cast<int>(id));
    return item && SubclassWindow(item);
}

bool CWnd::SubclassWindow(HWND hwnd)
{
    return !m_hWnd && hwnd && Attach(hwnd, false);
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    Detach();
    return hwnd;
}

bool CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

RECT CWnd::GetClientRect() const
{
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetWindowRect() const
{
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

LRESULT CWnd::Default()
{
    // A handler whose window died in a nested dispatch has nothing left to default to;
    // its handle may already name another window.
    if (!m_frame || !m_hWnd || m_windowGone)
        return 0;
    m_frame->defaulted = true;
    return ::DefSubclassProc(m_hWnd, m_frame->msg, m_frame->wParam, m_frame->lParam);
}

bool CWnd::Attach(HWND hwnd, bool ownsWindow)
{
    if (FromHandle(hwnd))
        return false;
    if (!::SetWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    Registry()[hwnd] = this;
    m_hWnd = hwnd;
    m_ownsWindow = ownsWindow;
    m_destroying = false;
    m_windowGone = false;
    return true;
}

void CWnd::Detach()
{
    if (!m_hWnd)
        return;
    if (!m_windowGone)
        ::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, kSubclassId);
    auto& registry = Registry();
    auto found = registry.find(m_hWnd);
    if (found != registry.end() && found->second == this)
        registry.erase(found);
    m_hWnd = nullptr;
    m_ownsWindow = false;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData)
{
    auto* self = reinterpret_cast<CWnd*>(refData);
    if (!self || self->m_hWnd != hwnd)
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const DispatchScope scope; // this object may be among those it deletes: nothing of it is used after
    // A child's notification goes back to the child first (MFC calls this reflection):
    // the child's handler may let go of the child or its owner.
    if (msg == WM_COMMAND && lParam != 0) {
        CWnd* child = FromHandle(reinterpret_cast<HWND>(lParam));
        if (child && child != this && Guarded([&] { return child->OnReflectedCommand(HIWORD(wParam)); }, false))
            return 0;
    }

    const HWND hwnd = m_hWnd; // a handler may let go of it
    Frame frame{msg, wParam, lParam, false};
    Frame* outer = m_frame;
    m_frame = &frame;
    m_destroying = m_destroying || msg == WM_DESTROY;
    // A message whose handler threw counts as handled.
    const LRESULT result = Guarded([&] { return OnMessage(msg, wParam, lParam); }, LRESULT{0});

    if (msg == WM_NCDESTROY && m_hWnd == hwnd) {
        // The window's own procedure must see its last message, or it leaks its state.
        if (!frame.defaulted)
            ::DefSubclassProc(hwnd, msg, wParam, lParam);
        ::RemoveWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId);
        m_windowGone = true;
    }
    m_frame = outer;
    if (!m_frame && m_windowGone) {
        Detach();
        Guarded([this] { PostNcDestroy(); });
    }
    return result;
}

} // namespace corvale
