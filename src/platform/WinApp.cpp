#include "platform/WinApp.h"

#include "platform/MessagePump.h"

namespace corvale {
namespace {
CWinApp* g_current = nullptr;
}

CWinApp::CWinApp()
{
    g_current = this;
}

CWinApp::~CWinApp()
{
    if (g_current == this)
        g_current = nullptr;
}

CWinApp* CWinApp::Current()
{
    return g_current;
}

int CWinApp::Run(HINSTANCE instance, const char* commandLine)
{
    m_instance = instance;
    m_commandLine = commandLine ? commandLine : "";
    if (!InitInstance())
        return 0;
    while (PumpMessage()) {
    }
    MSG quit{};
    ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return static_cast<int>(quit.wParam);
}

} // namespace corvale
