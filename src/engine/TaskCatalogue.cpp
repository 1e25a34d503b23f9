#include "engine/TaskCatalogue.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <urlhist.h>
#include <shlguid.h>

#include <optional>
#include <string>

#include "engine/FolderCleaner.h"
#include "engine/ProtectedSet.h"
#include "engine/RegistryKey.h"
#include "engine/UrlCache.h"
#include "settings/CleaningOptions.h"

// In ntdll since Windows 2000; no header of the user-mode SDK declares it.
extern "C" LONG NTAPI RtlGetVersion(RTL_OSVERSIONINFOW* version);

namespace corvale {
namespace {

constexpr wchar_t kShellFoldersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kTypedAddressesKey[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr wchar_t kSearchAssistantKey[] = L"Software\\Microsoft\\Search Assistant\\ACMru";
constexpr wchar_t kRunHistoryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr wchar_t kOpenSaveHistoryKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr wchar_t kLastVisitedHistoryKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU";
// The same histories where Windows Vista and later keep them (RecentDocs is older).
constexpr wchar_t kSearchBoxHistoryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
constexpr wchar_t kRecentItemsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
constexpr wchar_t kOpenSaveItemsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU";
constexpr wchar_t kLastVisitedItemsKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
constexpr wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kNetworkSharesKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WorkgroupCrawler\\Shares";
constexpr wchar_t kMappedDrivesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Map Network Drive MRU";
constexpr wchar_t kExplorerPoliciesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// The shell folder's path as the registry holds it, in UTF-16: a profile named outside
// the code page would read as another user's folder through the ANSI calls.
std::optional<std::wstring> ShellFolder(const wchar_t* name)
{
    const CRegistryKey key(kShellFoldersKey, HKEY_CURRENT_USER, CTouchPolicy::KeyReach(true));
    RegistryValue value;
    if (!key.FindValue(name, value).Found)
        return std::nullopt;
    return value.Data;
}

void EmptyFolder(const CTouchPolicy& policy, const std::wstring& folder, Reach reach = Reach::ThroughLinks)
{
    CFolderCleaner(policy, folder, reach).SweepTree(std::wstring(), std::wstring());
}

// A list of the user's: its values go, and never through a registry link.
CRegistryKey UsersList(const wchar_t* path)
{
    return CRegistryKey(path, HKEY_CURRENT_USER, CTouchPolicy::KeyReach(true));
}

std::wstring WindowsDirectory()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

void WritePolicy(HKEY root, const wchar_t* keyPath, const wchar_t* name, int flag)
{
    CRegistryKey key(keyPath, root, CTouchPolicy::KeyReach(root == HKEY_CURRENT_USER));
    (void)key.SetDword(name, flag == 1 ? 1 : 0); // no rights: not written
}

// A list with the lists by file type in its subkeys.
void EmptyListAndSubLists(const wchar_t* keyPath)
{
    CRegistryKey list = UsersList(keyPath);
    list.DeleteAllValues();
    list.DeleteAllSubKeyValues();
}

// Up to XP Windows put a shortcut in NetHood for every share the user opened; since
// Vista it adds none, and what the folder holds are the network locations the user made.
// GetVersionEx answers the version the program's manifest and compatibility settings
// make of it; RtlGetVersion answers the Windows that runs.
bool WindowsFillsNetHood()
{
    RTL_OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return ::RtlGetVersion(&version) == 0 && version.dwMajorVersion < 6;
}

void NoWork(int, const CTouchPolicy&) {}

template <void (*Work)()> void Unflagged(int, const CTouchPolicy&)
{
    Work();
}

template <void (*Work)(const CTouchPolicy&)> void Sweeping(int, const CTouchPolicy& policy)
{
    Work(policy);
}

template <void (*Work)(int)> void Mirroring(int flag, const CTouchPolicy&)
{
    Work(flag);
}

} // namespace

void CleanTemporaryInternetFiles(const CTouchPolicy& policy)
{
    if (const std::optional<std::wstring> cache = ShellFolder(L"Cache"))
        EmptyFolder(policy, *cache);
    (void)CleanUrlCache(false); // a walk cut short leaves the rest for the next run
}

void CleanTemporaryInternetFiles()
{
    CProtectedSet protectedFolders;
    CleanTemporaryInternetFiles(CTouchPolicy(protectedFolders));
}

void ClearBrowserHistory()
{
    const HRESULT apartment = ::CoInitialize(nullptr);
    IUrlHistoryStg2* history = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_CUrlHistory, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                     IID_IUrlHistoryStg2, reinterpret_cast<void**>(&history)))) {
        (void)history->ClearHistory(); // Wine answers E_NOTIMPL: the history stays
        history->Release();
    }
    // Only a successful CoInitialize is paired: a thread already in another apartment
    // keeps it.
    if (SUCCEEDED(apartment))
        ::CoUninitialize();
}

void ClearTypedAddresses()
{
    UsersList(kTypedAddressesKey).DeleteAllValues();
}

void CleanCookies(const CTouchPolicy& policy)
{
    if (const std::optional<std::wstring> cookies = ShellFolder(L"Cookies"))
        CFolderCleaner(policy, *cookies).DeleteCookieFiles();
    (void)CleanUrlCache(true); // a walk cut short leaves the rest for the next run
}

void ClearSearchHistory()
{
    UsersList(kSearchAssistantKey).DeleteAllSubKeyValues();
    UsersList(kSearchBoxHistoryKey).DeleteAllValues();
}

void ClearRecentDocuments(const CTouchPolicy& policy)
{
    if (const std::optional<std::wstring> recent = ShellFolder(L"Recent"))
        CFolderCleaner(policy, *recent).DeleteMatchingFiles(L"*.lnk");
    // What Explorer and the Start menu list as recent items. The jump lists beside the
    // shortcuts stay: they hold what the user pinned.
    EmptyListAndSubLists(kRecentItemsKey);
}

void CleanScandiskFiles(const CTouchPolicy& policy)
{
    // An empty removable drive would otherwise ask the user to insert a disk.
    const UINT errorMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ::SetErrorMode(errorMode | SEM_FAILCRITICALERRORS);
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const CFolderCleaner root(policy, std::wstring{letter, L':', L'\\'});
        // The user's own disks only: a disk check leaves its fragments on fixed and
        // removable drives, never on another computer's share, a CD or a RAM disk, and a
        // share that stopped answering would hold the program for its time-outs.
        const UINT type = ::GetDriveTypeW(root.Path().c_str());
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
            continue;
        root.SweepTree(std::wstring(), kDiskCheckFoldersMask);
        root.SweepTree(std::wstring(), kDiskCheckFilesMask);
    }
    ::SetErrorMode(errorMode);
}

void EmptyRecycleBin()
{
    (void)::SHEmptyRecycleBinA(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOSOUND);
}

void EmptyClipboardMemory()
{
    // Emptying it sends the clipboard's owner a message and waits for the answer: an
    // owner that stopped answering would hold the run for ever. Its clipboard stays.
    const HWND owner = ::GetClipboardOwner();
    if (owner && ::IsHungAppWindow(owner))
        return;
    if (::OpenClipboard(nullptr)) {
        (void)::EmptyClipboard();
        (void)::CloseClipboard();
    }
}

void CleanDownloadedProgramFiles(const CTouchPolicy& policy)
{
    EmptyFolder(policy, WindowsDirectory() + L"\\Downloaded Program Files");
}

void CleanTemporaryFolders(const CTouchPolicy& policy)
{
    constexpr DWORD kBufferSize = MAX_PATH + 1;
    wchar_t temp[kBufferSize] = {};
    const DWORD tempLength = ::GetTempPathW(kBufferSize, temp);
    const std::wstring windows = WindowsDirectory();
    if (tempLength > 0 && tempLength < kBufferSize && !windows.empty() && windows != temp)
        EmptyFolder(policy, temp);

    // Without a Windows directory these two are relative paths, which the sweep refuses.
    EmptyFolder(policy, windows + L"\\temp");
    EmptyFolder(policy, windows + L"\\tmp");
    // Any user may make these two, and make them links into another user's folders.
    EmptyFolder(policy, L"c:\\tmp", CTouchPolicy::FolderReach(true));
    EmptyFolder(policy, L"c:\\temp", CTouchPolicy::FolderReach(true));
}

void ClearRunHistory()
{
    UsersList(kRunHistoryKey).DeleteAllValues();
    EmptyListAndSubLists(kOpenSaveHistoryKey);
    UsersList(kLastVisitedHistoryKey).DeleteAllValues();
    EmptyListAndSubLists(kOpenSaveItemsKey);
    UsersList(kLastVisitedItemsKey).DeleteAllValues();
}

void WriteClearPageFileAtShutdown(int flag)
{
    WritePolicy(HKEY_LOCAL_MACHINE, kSessionManagerKey, L"ClearPageFileAtShutdown", flag);
}

void ClearNetworkDriveLists(const CTouchPolicy& policy)
{
    const std::optional<std::wstring> netHood = ShellFolder(L"NetHood");
    if (netHood && WindowsFillsNetHood())
        EmptyFolder(policy, *netHood);
    UsersList(kNetworkSharesKey).DeleteAllValues();
    UsersList(kMappedDrivesKey).DeleteAllValues();
}

void WriteNoRecentDocsHistory(int flag)
{
    WritePolicy(HKEY_CURRENT_USER, kExplorerPoliciesKey, L"NoRecentDocsHistory", flag);
}

const TaskSlots& TaskCatalogue()
{
    static const TaskSlots kSlots{{
        {Option::IeTempFiles, false, "Cleaning Internet Explorer Temp Files..............................Done",
         Sweeping<CleanTemporaryInternetFiles>},
        {Option::IeHistory, false, "Cleaning Internet Explorer History....................................Done",
         Unflagged<ClearBrowserHistory>},
        {Option::IeAddressBar, false, "Cleaning Internet Explorer Address Bar............................Done",
         Unflagged<ClearTypedAddresses>},
        // Served by the browser-window watcher; the run only reports it.
        {Option::IeTempFilesOnClose, false, "Cleaning Internet Temp Files when IE closes...................Done",
         NoWork},
        {Option::IeCookies, false, "Cleaning Internet Explorer Cookies..................................Done",
         Sweeping<CleanCookies>},
        {Option::SearchHistory, false, "Cleaning Search History..................................................Done",
         Unflagged<ClearSearchHistory>},
        {Option::RecentDocsHistory, false, "Cleaning Recent Documents History...............................Done",
         Sweeping<ClearRecentDocuments>},
        {Option::ScandiskFiles, false, "Cleaning Scandisk Files..................................................Done",
         Sweeping<CleanScandiskFiles>},
        {Option::RecycleBin, false, "Cleaning Recycle Bin......................................................Done",
         Unflagged<EmptyRecycleBin>},
        {Option::ClipboardMemory, false, "Cleaning Clipboard Memory.............................................Done",
         Unflagged<EmptyClipboardMemory>},
        {Option::DownloadedProgramFiles, false, "Cleaning Downloaded Program Files Directory................Done",
         Sweeping<CleanDownloadedProgramFiles>},
        {Option::TempFilesDirectory, false, "Cleaning Temporary Files Directory.................................Done",
         Sweeping<CleanTemporaryFolders>},
        {Option::StartRunHistory, false, "Cleaning Start/Run History..............................................Done",
         Unflagged<ClearRunHistory>},
        {Option::SwapFileOnShutdown, true, "Cleaning Swap File On Shutdown...................................Done",
         Mirroring<WriteClearPageFileAtShutdown>},
        {Option::RecentNetworkDrives, false, "Cleaning Recent Network Drive List................................Done",
         Sweeping<ClearNetworkDriveLists>},
        {Option::NoRecentDocsHistory, true, "Remove Recent Docs History.........................................Done",
         Mirroring<WriteNoRecentDocsHistory>},
    }};
    return kSlots;
}

} // namespace corvale
