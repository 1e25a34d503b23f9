#pragma once
// The user's state that the cleaning slots work on, redirected into scratch folders
// and put back afterwards: the four shell folders ("Cache", "Cookies", "Recent",
// "NetHood") and TEMP point into a fresh folder on C:, and every registry key, value
// and file a slot changes is restored when the test ends.

#include <memory>
#include <string>
#include <vector>

#include "support/EngineScratch.h"

namespace corvale::test {

constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kTypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr char kSearchAssistantKey[] = "Software\\Microsoft\\Search Assistant\\ACMru";
constexpr char kRunMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr char kOpenSaveMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr char kLastVisitedMruKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU";
constexpr char kWordWheelQueryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
constexpr char kRecentDocsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
constexpr char kOpenSavePidlMruKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU";
constexpr char kLastVisitedPidlMruKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kSharesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WorkgroupCrawler\\Shares";
constexpr char kMappedDrivesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Map Network Drive MRU";
constexpr char kExplorerPoliciesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

class ScratchUserState {
public:
    ScratchUserState();
    ~ScratchUserState();
    ScratchUserState(const ScratchUserState&) = delete;
    ScratchUserState& operator=(const ScratchUserState&) = delete;

    // The scratch folder that holds the redirected folders "Cache", "Cookies", "Recent",
    // "NetHood" and "Temp", and anything else a test puts beside them.
    const ScratchFolder& Root() const { return m_root; }
    std::string Cache() const { return m_root / "Cache"; }
    std::string Cookies() const { return m_root / "Cookies"; }
    std::string Recent() const { return m_root / "Recent"; }
    std::string NetHood() const { return m_root / "NetHood"; }
    std::string Temp() const { return m_root / "Temp"; }

    // Points a shell folder somewhere else (or removes it with nullptr).
    static void SetShellFolder(const char* name, const char* path);

private:
    ScratchFolder m_root;
    std::vector<std::unique_ptr<ScopedKeyRestore>> m_keys;
    std::vector<std::unique_ptr<ScopedValueRestore>> m_values;
    std::unique_ptr<ScopedFileRestore> m_keepList;
    std::unique_ptr<ScopedEnvironment> m_temp;
    std::unique_ptr<ScopedEnvironment> m_tmp;
};

} // namespace corvale::test
