#pragma once
// What the shell's window collection lists and how it calls the watcher: a shown
// top-level window of the browser's frame class ("IEFrame") or of a File Explorer folder
// window ("CabinetWClass"), and an event with the window's cookie as a VT_I4 argument
// (Wine's collection delivers no events).

#include <windows.h>

#include <oaidl.h>

namespace corvale::test {

class ShellWindow {
public:
    explicit ShellWindow(const char* className)
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        (void)::RegisterClassA(&windowClass); // an earlier window registered it
        m_window = ::CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr,
                                     windowClass.hInstance, nullptr);
    }
    ~ShellWindow() { Close(); }

    void Close()
    {
        if (m_window)
            ::DestroyWindow(m_window);
        m_window = nullptr;
    }
    operator HWND() const { return m_window; }

private:
    HWND m_window;
};

inline HRESULT FireShellWindowsEvent(IDispatch* sink, DISPID event, LONG cookie = 7)
{
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = cookie;
    DISPPARAMS params{&argument, nullptr, 1, 0};
    return sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

} // namespace corvale::test
