#pragma once
// The one settings record and the packing of its option flags into the three page
// values. No Windows types here: the bit rules are checked natively.

#include <array>
#include <cstdint>

namespace corvale {

// Positions in CleaningOptions::OptionFlags, in page order.
namespace Option {
enum : int {
    // "&1 Internet Clean"
    IeTempFiles = 0,
    IeHistory,
    IeAddressBar,
    IeTempFilesOnClose,
    IeCookies,
    // "&2 System Clean"
    SearchHistory,
    RecentDocsHistory,
    ScandiskFiles,
    RecycleBin,
    ClipboardMemory,
    DownloadedProgramFiles,
    TempFilesDirectory,
    StartRunHistory,
    SwapFileOnShutdown,
    RecentNetworkDrives,
    NoRecentDocsHistory,
    // "&3 General Options"
    OnLogoff,
    OnShutdown,
    OnStart,
    OnClose,
    EveryInterval,
    OnHotKey,
    DailyAt,
};
} // namespace Option

constexpr int kOptionCount = 23;
// Flags below this index are the cleaning options a run reads; the rest are triggers.
constexpr int kCleaningOptionCount = 16;

constexpr std::uint32_t kDefaultHotKey = 0x00020066; // Ctrl + numeric-keypad 6
constexpr int kDefaultInterval = 10;
constexpr int kDefaultTime = 12 * 60;

// Everything the user chooses. The main window owns the one instance.
struct CleaningOptions {
    std::array<int, kOptionCount> OptionFlags{};
    std::uint32_t HotKeyA = kDefaultHotKey;
    int Interval = kDefaultInterval;
    int Time = kDefaultTime;
    int ShowProgress = 1;
    int CleaningAutoClose = 0;
};

// One option page as stored: its registry value and the flags its bits carry.
struct OptionPage {
    const char* valueName;
    int firstFlag;
    int flagCount;
};

constexpr std::array<OptionPage, 3> kOptionPages{{
    {"Page1", Option::IeTempFiles, 5},
    {"Page2", Option::SearchHistory, 11},
    {"Page3", Option::OnLogoff, 7},
}};

// Bit i is set when the page's flag i is non-zero; bits above the page's count stay 0.
std::uint32_t PackPage(const CleaningOptions& options, const OptionPage& page);

// Each of the page's flags becomes exactly 0 or 1; bits above the page's count are ignored.
void UnpackPage(CleaningOptions& options, const OptionPage& page, std::uint32_t bits);

// Whether any Internet or System option is set: the Clean Now command refuses to run
// otherwise (the scheduled triggers do not ask).
bool HasCleaningOptionSelected(const CleaningOptions& options);

} // namespace corvale
