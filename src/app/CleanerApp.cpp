#include "app/CleanerApp.h"

#include "app/MainWindow.h"
#include "app/StartupSwitches.h"
#include "dialogs/SplashDialog.h"

#include <resource.h>

#include <commctrl.h>

namespace corvale {

BOOL CCleanerApp::InitInstance()
{
    const StartupSwitches switches = ParseStartupSwitches(CommandLine());
    if (HWND running = ::FindWindowA(nullptr, kMainWindowTitle)) {
        // The running instance comes to the front, or ends; its answer changes nothing here.
        (void)::SendMessageA(running, UM_INSTANCE_REQUEST, switches.unload ? 1 : 0, 0);
        return FALSE;
    }
    if (switches.unload)
        return FALSE;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    (void)::InitCommonControlsEx(&controls); // the hot-key and tooltip classes
    // CORVALE_NO_SPLASH_WAIT=1 (start-up measurements and the end-to-end tests) shows the
    // splash for a moment only.
    char noWait[4] = {};
    const bool shortSplash = ::GetEnvironmentVariableA("CORVALE_NO_SPLASH_WAIT", noWait, sizeof noWait) == 1 &&
                             noWait[0] == '1';
    CSplashDialog splash(IDG_SPLASH, shortSplash ? 1 : CSplashDialog::kShowMilliseconds);
    splash.DoModal();
    // Never shown again: its decoded picture and surface (about 1 MB) go now, though the
    // object stays until the main window has gone.
    splash.Picture().ReleasePicture();
    {
        CMainWindow mainWindow(switches.startHidden);
        mainWindow.DoModal();
    }
    // The process has no message loop of its own: its windows ran modally in here.
    return FALSE;
}

} // namespace corvale
