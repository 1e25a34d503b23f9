#include "app/CleanerApp.h"

namespace corvale {

BOOL CCleanerApp::InitInstance()
{
    // The process has no message loop of its own: its windows run modally in here.
    return FALSE;
}

} // namespace corvale
