#include "platform/MessagePump.h"

#include "platform/Wnd.h"

namespace corvale {
namespace {

void Handle(MSG& msg)
{
    if (!PreTranslateMessage(msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

} // namespace

bool PreTranslateMessage(MSG& msg)
{
    for (HWND hwnd = msg.hwnd; hwnd;) {
        CWnd* wnd = CWnd::FromHandle(hwnd);
        if (wnd && wnd->PreTranslateMessage(&msg))
            return true;
        if (!(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD))
            break;
        hwnd = ::GetParent(hwnd);
    }
    return false;
}

bool PumpMessage()
{
    MSG msg{};
    if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    Handle(msg);
    return true;
}

void PumpPendingMessages()
{
    MSG msg{};
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Handle(msg);
    }
}

} // namespace corvale
