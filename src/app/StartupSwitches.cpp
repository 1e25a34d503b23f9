#include "app/StartupSwitches.h"

namespace corvale {

StartupSwitches ParseStartupSwitches(const std::string& commandLine)
{
    StartupSwitches switches;
    switches.unload = commandLine.find("/u") != std::string::npos;
    switches.startHidden = commandLine.find("/h") != std::string::npos;
    return switches;
}

} // namespace corvale
