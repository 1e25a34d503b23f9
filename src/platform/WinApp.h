#pragma once
// CWinApp: the one application object and its start-up routine. WinMain hands over to
// Run, which calls InitInstance; a dialog-based program does all its work there and
// returns FALSE, so the process ends without a message loop of its own.

#include <windows.h>

#include <string>

namespace corvale {

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Current();

    virtual BOOL InitInstance() = 0;

    // Called by WinMain: keeps the instance and command line, runs InitInstance and,
    // when it returns TRUE, the message loop.
    int Run(HINSTANCE instance, const char* commandLine);

    HINSTANCE Instance() const { return m_instance; }
    const std::string& CommandLine() const { return m_commandLine; }

private:
    HINSTANCE m_instance = nullptr;
    std::string m_commandLine;
};

} // namespace corvale
