#include "dialogs/HelpPath.h"

namespace corvale {
namespace {
// " /h", the switch the program was registered with in the unquoted form.
constexpr std::size_t kSwitchLength = 3;
} // namespace

std::string HelpPathFromRunValue(const std::string& runValue)
{
    std::string program;
    if (!runValue.empty() && runValue[0] == '"') {
        const std::size_t close = runValue.find('"', 1);
        program = runValue.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else if (runValue.size() > kSwitchLength) {
        program = runValue.substr(0, runValue.size() - kSwitchLength);
    }
    const std::size_t folderEnd = program.find_last_of("\\/:");
    if (folderEnd == std::string::npos)
        return std::string();
    return program.substr(0, folderEnd + 1) + kHelpFileName;
}

} // namespace corvale
