#pragma once
// CCleanerApp: the application object; its start-up routine runs the whole program.

#include "platform/WinApp.h"

namespace corvale {

class CCleanerApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

} // namespace corvale
