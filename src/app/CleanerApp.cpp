#include "app/CleanerApp.h"

#include "app/MainWindow.h"
#include "app/StartupSwitches.h"
#include "dialogs/SplashDialog.h"
#include "platform/Handle.h"

#include <resource.h>

#include <commctrl.h>
#include <objbase.h>

namespace corvale {
namespace {

// Decides which start is first: the first one owns it until it ends. One per session, as
// the window a later start hands its request to is on that session's desktop.
constexpr char kInstanceMutexName[] = "Local\\Corvale.Instance";
// How long a later start waits for the first one's main window: its splash alone shows
// for about three seconds.
constexpr DWORD kWaitForFirstMs = 20000;
constexpr DWORD kWaitStepMs = 50;
// A first start that does not answer in this time is taken as hung or ending.
constexpr DWORD kRequestTimeoutMs = 5000;

// The main window of the running program, among the windows titled "Corvale".
HWND FindMainWindow()
{
    for (HWND window = nullptr; (window = ::FindWindowExA(nullptr, window, nullptr, kMainWindowTitle));)
        if (::GetPropA(window, kMainWindowMark))
            return window;
    return nullptr;
}

bool Ended(DWORD wait)
{
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

// A later start: hands the request to the first one's main window once it exists. True
// when the first one ended instead, so that this start takes its place.
bool FirstEndedBeforeTheRequest(HANDLE instance, bool unload)
{
    for (DWORD waited = 0; waited < kWaitForFirstMs; waited += kWaitStepMs) {
        if (HWND running = FindMainWindow()) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(running, &process);
            // Only the process the user started may hand on the foreground.
            (void)::AllowSetForegroundWindow(process); // a start not in front has none to hand on
            // The running instance comes to the front, or ends. One that is ending answers
            // 0, and one that hangs none: this start then waits to take its place. Not
            // SMTO_ABORTIFHUNG: a run pumps only between its steps, a step of more than 5 s
            // makes the program look hung, and such a request would never reach it; sent
            // this way it is answered once the step is over, if only after the timeout.
            DWORD_PTR answer = 0;
            if ((::SendMessageTimeoutA(running, UM_INSTANCE_REQUEST, unload ? 1 : 0, 0, SMTO_BLOCK, kRequestTimeoutMs,
                                       &answer) &&
                 answer != 0) ||
                unload)
                return false;
            return instance && Ended(::WaitForSingleObject(instance, kWaitForFirstMs));
        }
        if (!instance)
            ::Sleep(kWaitStepMs); // the name is someone else's: only the window tells
        else if (Ended(::WaitForSingleObject(instance, kWaitStepMs)))
            return true;
    }
    return false; // a first start that shows no window in time: better none than two
}

} // namespace

BOOL CCleanerApp::InitInstance()
{
    const StartupSwitches switches = ParseStartupSwitches(CommandLine());
    // Owned from here to the end of the process, which lets it go for a waiting start.
    KernelHandle instance(::CreateMutexA(nullptr, TRUE, kInstanceMutexName));
    // A name that cannot be made (the first start runs elevated, or another object has
    // the name) means a later start all the same: never a second program.
    const bool later = !instance || ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (!instance)
        instance.Reset(::OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName));
    if (later && !FirstEndedBeforeTheRequest(instance.Get(), switches.unload))
        return FALSE;
    if (switches.unload)
        return FALSE;

    // One apartment for the thread's whole life: ShellExecuteA may hand a page or a
    // folder to a shell extension through COM.
    const HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
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
    if (SUCCEEDED(apartment))
        ::CoUninitialize();
    // The process has no message loop of its own: its windows ran modally in here.
    return FALSE;
}

} // namespace corvale
