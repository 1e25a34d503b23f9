#include "engine/TaskCatalogue.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <urlhist.h>
#include <shlguid.h>

#include <optional>
#include <string>

#include "engine/FolderCleaner.h"
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
    const CRegistryKey key(kShellFoldersKey, HKEY_CURRENT_USER);
    RegistryValue value;
    if (!key.FindValue(name, value).Found)
        return std::nullopt;
    return value.Data;
}

void EmptyFolder(const std::wstring& folder)
{
    CFolderCleaner(folder).SweepTree(std::wstring(), std::wstring());
}

std::wstring WindowsDirectory()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

void WritePolicy(HKEY root, const wchar_t* keyPath, const wchar_t* name, int flag)
{
    (void)CRegistryKey(keyPath, root).SetDword(name, flag == 1 ? 1 : 0); // no rights: not written
}

void EmptyList(const wchar_t* keyPath)
{
    CRegistryKey(keyPath, HKEY_CURRENT_USER).DeleteAllValues();
}

// A list with the lists by file type in its subkeys.
void EmptyListAndSubLists(const wchar_t* keyPath)
{
    CRegistryKey list(keyPath, HKEY_CURRENT_USER);
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

void NoWork(int) {}

template <void (*Work)()> void Unflagged(int)
{
    Work();
}

} // namespace

void CleanTemporaryInternetFiles()
{
    if (const std::optional<std::wstring> cache = ShellFolder(L"Cache"))
        EmptyFolder(*cache);
    (void)CleanUrlCache(false); // a walk cut short leaves the rest for the next run
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
    CRegistryKey(kTypedAddressesKey, HKEY_CURRENT_USER).DeleteAllValues();
}

void CleanCookies()
{
    if (const std::optional<std::wstring> cookies = ShellFolder(L"Cookies"))
        CFolderCleaner(*cookies).DeleteCookieFiles();
    (void)CleanUrlCache(true); // a walk cut short leaves the rest for the next run
}

void ClearSearchHistory()
{
    CRegistryKey(kSearchAssistantKey, HKEY_CURRENT_USER).DeleteAllSubKeyValues();
    EmptyList(kSearchBoxHistoryKey);
}

void ClearRecentDocuments()
{
    if (const std::optional<std::wstring> recent = ShellFolder(L"Recent"))
        CFolderCleaner(*recent).DeleteMatchingFiles(L"*.lnk");
    // What Explorer and the Start menu list as recent items. The jump lists beside the
    // shortcuts stay: they hold what the user pinned.
    EmptyListAndSubLists(kRecentItemsKey);
}

void CleanScandiskFiles()
{
    // An empty removable drive would otherwise ask the user to insert a disk.
    const UINT errorMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ::SetErrorMode(errorMode | SEM_FAILCRITICALERRORS);
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const CFolderCleaner root(std::wstring{letter, L':', L'\\'});
        // The user's own disks only: a disk check leaves its fragments on fixed and
        // removable drives, never on another computer's share, a CD or a RAM disk, and a
        // share that stopped answering would hold the program for its time-outs.
        const UINT type = ::GetDriveTypeW(root.Path().c_str());
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE)
            continue;
        root.SweepTree(std::wstring(), L"FOUND.*");
        root.SweepTree(std::wstring(), L"FILE*.CHK");
    }
    ::SetErrorMode(errorMode);
}

void EmptyRecycleBin()
{
    (void)::SHEmptyRecycleBinA(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOSOUND);
}

void EmptyClipboardMemory()
{
    if (::OpenClipboard(nullptr)) {
        (void)::EmptyClipboard();
        (void)::CloseClipboard();
    }
}

void CleanDownloadedProgramFiles()
{
    EmptyFolder(WindowsDirectory() + L"\\Downloaded Program Files");
}

void CleanTemporaryFolders()
{
    constexpr DWORD kBufferSize = MAX_PATH + 1;
    wchar_t temp[kBufferSize] = {};
    const DWORD tempLength = ::GetTempPathW(kBufferSize, temp);
    const std::wstring windows = WindowsDirectory();
    if (tempLength > 0 && tempLength < kBufferSize && !windows.empty() && windows != temp)
        EmptyFolder(temp);

    // Without a Windows directory these two are relative paths, which the sweep refuses.
    EmptyFolder(windows + L"\\temp");
    EmptyFolder(windows + L"\\tmp");
    EmptyFolder(L"c:\\tmp");
    EmptyFolder(L"c:\\temp");
}

void ClearRunHistory()
{
    CRegistryKey runHistory(kRunHistoryKey, HKEY_CURRENT_USER);
    runHistory.DeleteAllValues();
    CRegistryKey openSaveHistory(kOpenSaveHistoryKey, HKEY_CURRENT_USER);
    openSaveHistory.DeleteAllValues();
    openSaveHistory.DeleteAllSubKeyValues();
    EmptyList(kLastVisitedHistoryKey);
    EmptyListAndSubLists(kOpenSaveItemsKey);
    EmptyList(kLastVisitedItemsKey);
}

void WriteClearPageFileAtShutdown(int flag)
{
    WritePolicy(HKEY_LOCAL_MACHINE, kSessionManagerKey, L"ClearPageFileAtShutdown", flag);
}

void ClearNetworkDriveLists()
{
    const std::optional<std::wstring> netHood = ShellFolder(L"NetHood");
    if (netHood && WindowsFillsNetHood())
        EmptyFolder(*netHood);
    CRegistryKey(kNetworkSharesKey, HKEY_CURRENT_USER).DeleteAllValues();
    CRegistryKey(kMappedDrivesKey, HKEY_CURRENT_USER).DeleteAllValues();
}

void WriteNoRecentDocsHistory(int flag)
{
    WritePolicy(HKEY_CURRENT_USER, kExplorerPoliciesKey, L"NoRecentDocsHistory", flag);
}

const TaskSlots& TaskCatalogue()
{
    static const TaskSlots kSlots{{
        {Option::IeTempFiles, false, "Cleaning Internet Explorer Temp Files..............................Done",
         Unflagged<CleanTemporaryInternetFiles>},
        {Option::IeHistory, false, "Cleaning Internet Explorer History....................................Done",
         Unflagged<ClearBrowserHistory>},
        {Option::IeAddressBar, false, "Cleaning Internet Explorer Address Bar............................Done",
         Unflagged<ClearTypedAddresses>},
        // Served by the browser-window watcher; the run only reports it.
        {Option::IeTempFilesOnClose, false, "Cleaning Internet Temp Files when IE closes...................Done",
         NoWork},
        {Option::IeCookies, false, "Cleaning Internet Explorer Cookies..................................Done",
         Unflagged<CleanCookies>},
        {Option::SearchHistory, false, "Cleaning Search History..................................................Done",
         Unflagged<ClearSearchHistory>},
        {Option::RecentDocsHistory, false, "Cleaning Recent Documents History...............................Done",
         Unflagged<ClearRecentDocuments>},
        {Option::ScandiskFiles, false, "Cleaning Scandisk Files..................................................Done",
         Unflagged<CleanScandiskFiles>},
        {Option::RecycleBin, false, "Cleaning Recycle Bin......................................................Done",
         Unflagged<EmptyRecycleBin>},
        {Option::ClipboardMemory, false, "Cleaning Clipboard Memory.............................................Done",
         Unflagged<EmptyClipboardMemory>},
        {Option::DownloadedProgramFiles, false, "Cleaning Downloaded Program Files Directory................Done",
         Unflagged<CleanDownloadedProgramFiles>},
        {Option::TempFilesDirectory, false, "Cleaning Temporary Files Directory.................................Done",
         Unflagged<CleanTemporaryFolders>},
        {Option::StartRunHistory, false, "Cleaning Start/Run History..............................................Done",
         Unflagged<ClearRunHistory>},
        {Option::SwapFileOnShutdown, true, "Cleaning Swap File On Shutdown...................................Done",
         WriteClearPageFileAtShutdown},
        {Option::RecentNetworkDrives, false, "Cleaning Recent Network Drive List................................Done",
         Unflagged<ClearNetworkDriveLists>},
        {Option::NoRecentDocsHistory, true, "Remove Recent Docs History.........................................Done",
         WriteNoRecentDocsHistory},
    }};
    return kSlots;
}

} // namespace corvale
