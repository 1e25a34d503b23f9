// Shows one option page as the main window builds it, its image with its real controls,
// at the top left of the display, so that a screenshot can show it. Usage:
// page_shots <page 0-2> <ready file>. It ends after a minute by itself.
#include "dialogs/TestPageHost.h"
#include "platform/MessagePump.h"

#include <ole2.h>

#include <cstdlib>

using namespace corvale;

namespace {

void CALLBACK EndShow(HWND, UINT, UINT_PTR, DWORD)
{
    ::PostQuitMessage(0);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 3)
        return 2;
    (void)::OleInitialize(nullptr); // the picture loads without it as well
    test::TestPageHost host;
    if (!host.Create())
        return 1;
    // A plausible choice, so that the pictures show ticked and unticked boxes.
    CleaningOptions& options = host.m_options;
    for (int option :
         {Option::IeTempFiles, Option::IeHistory, Option::IeCookies, Option::RecentDocsHistory, Option::RecycleBin,
          Option::TempFilesDirectory, Option::StartRunHistory, Option::OnClose, Option::EveryInterval, Option::DailyAt})
        options.OptionFlags[option] = 1;
    options.Interval = 30;
    options.Time = 17 * 60 + 30;
    host.m_pages.ShowPage(std::atoi(__argv[1]));
    ::UpdateWindow(host);
    FileHandle ready(
        ::CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ready.Reset();
    ::SetTimer(nullptr, 0, 60000, EndShow);
    while (PumpMessage()) {
    }
    host.m_triggers.ReleaseAll();
    ::OleUninitialize();
    return 0;
}
