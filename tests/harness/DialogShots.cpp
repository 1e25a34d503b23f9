// Shows the real about dialog or splash at the top left of the display for a screenshot.
// Usage: dialog_shots about|splash <ready file>. The splash ends by its own timer, the
// about dialog after half a minute.
#include "dialogs/AboutDialog.h"
#include "dialogs/SplashDialog.h"
#include "platform/Handle.h"
#include "platform/MessagePump.h"

#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <memory>

using namespace corvale;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 3)
        return 2;
    ::OleInitialize(nullptr);
    std::unique_ptr<CDialog> dialog;
    if (std::strcmp(__argv[1], "splash") == 0)
        dialog = std::make_unique<CSplashDialog>();
    else
        dialog = std::make_unique<CAboutDialog>();
    if (!dialog->Create(nullptr))
        return 1;
    dialog->ShowWindow(SW_SHOWNORMAL);
    ::UpdateWindow(*dialog);
    FileHandle ready(
        ::CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ready.Reset();
    const DWORD start = ::GetTickCount();
    while (::IsWindowVisible(*dialog) && ::GetTickCount() - start < 30000) {
        PumpPendingMessages();
        ::Sleep(20);
    }
    dialog.reset();
    ::OleUninitialize();
    return 0;
}
