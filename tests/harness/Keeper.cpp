// A hidden 1x1 window that keeps Wine's desktop process alive for a whole test run.
// It tells the harness it is up by creating the file named on its command line.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "corvale test keeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                                    nullptr, instance, nullptr);
    if (!window)
        return 1;
    HANDLE ready = ::CreateFileA(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE)
        ::CloseHandle(ready);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
