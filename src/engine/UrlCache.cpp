#include "engine/UrlCache.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#define SECURITY_WIN32 // winineti.h pulls in the security headers, which ask for it
#include <winineti.h>

#include "engine/CookieKeepList.h"
#include "engine/CookieRules.h"
#include "engine/HeldFolder.h"
#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"
#include "engine/TouchPolicy.h"
#include "platform/AnsiText.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

constexpr DWORD kInitialEntrySize = 4096;
// The pattern Windows lists its cookie container for.
constexpr wchar_t kCookiePattern[] = L"cookie:";

// One walk over the cache. The entry buffer only grows: after one large entry every
// later call offers the larger size.
class CacheWalk {
public:
    CacheWalk(const UrlCacheListing& listing, const wchar_t* pattern) : m_listing(listing), m_pattern(pattern) {}

    // Fetches the first entry, or the entry that did not fit once more, into a new
    // buffer of the size asked for last.
    void FetchAgain()
    {
        m_storage.reset(new std::uint64_t[(m_bufferSize + 7) / 8]);
        if (m_find) {
            FetchNext();
            return;
        }
        const HANDLE find = m_listing.findFirst(m_pattern, Entry(), PrepareSize());
        Settle(find != nullptr);
        m_find.Reset(find);
    }

    void FetchNext() { Settle(m_listing.findNext(m_find.Get(), Entry(), PrepareSize()) != FALSE); }

    DWORD Status() const { return m_status; }
    const INTERNET_CACHE_ENTRY_INFOW& Current() const { return *Entry(); }

private:
    INTERNET_CACHE_ENTRY_INFOW* Entry() const { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(m_storage.get()); }

    DWORD* PrepareSize()
    {
        Entry()->dwStructSize = m_bufferSize;
        m_callSize = m_bufferSize;
        return &m_callSize;
    }

    void Settle(bool succeeded)
    {
        if (succeeded) {
            m_status = ERROR_SUCCESS;
            return;
        }
        m_status = ::GetLastError();
        if (m_status != ERROR_INSUFFICIENT_BUFFER)
            return;
        // A size that would not grow the buffer could only fail the same way again.
        if (m_callSize <= m_bufferSize)
            m_status = ERROR_INVALID_DATA;
        else
            m_bufferSize = m_callSize;
    }

    const UrlCacheListing& m_listing;
    const wchar_t* m_pattern;
    UrlCacheFindHandle m_find;
    std::unique_ptr<std::uint64_t[]> m_storage; // 8-byte aligned, as the record needs
    DWORD m_bufferSize = kInitialEntrySize;
    DWORD m_callSize = 0;
    DWORD m_status = ERROR_INSUFFICIENT_BUFFER;
};

// The comparison key of where a file or folder really is, links followed; of where it
// would be, when nothing is there; empty when it cannot be told.
std::wstring RealKey(const wchar_t* path)
{
    const FileHandle held(::CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (held)
        return FolderComparisonKey(FinalPathOfHandle(held.Get()));
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ResolvedFolderKey(path) : std::wstring();
}

// Where the cache keeps the files of one kind of entry, as WinINet says.
std::wstring ContainerKey(DWORD pathField)
{
    INTERNET_CACHE_CONFIG_INFOW info{};
    info.dwStructSize = sizeof(info);
    return ::GetUrlCacheConfigInfoW(&info, nullptr, pathField) ? RealKey(info.CachePath) : std::wstring();
}

// Whether the keep-list spares a cookie entry: by its site, or by its file's name, the
// two names the keep-list dialog shows. The keep-list holds them as the dialog shows
// them, in the code page: each is spelt the same way.
bool IsKeptCookie(const INTERNET_CACHE_ENTRY_INFOW& entry, const std::optional<std::string>& keepText)
{
    if (IsCookieEntryKept(keepText, CookieKeyOfUrl(AnsiBestFit(entry.lpszSourceUrlName))))
        return true;
    if (!entry.lpszLocalFileName)
        return false;
    const std::wstring file = entry.lpszLocalFileName;
    return IsCookieFileKept(keepText, CookieNameOfFile(AnsiBestFit(file.substr(file.find_last_of(L'\\') + 1))));
}

bool IsCookie(const INTERNET_CACHE_ENTRY_INFOW& entry)
{
    return entry.lpszSourceUrlName && (entry.CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
}

// Decided on the entry's type, never on the listing it came from: the platforms list
// different sets for the same pattern. Deleting an entry deletes its file, so an entry
// whose file lies outside its container (a name climbing out of it, or a link inside it)
// stays: anything that can write to the cache index could otherwise have any file of the
// user's deleted.
void DecideOnEntry(const INTERNET_CACHE_ENTRY_INFOW& entry, bool cookiesOnly,
                   const std::optional<std::string>& keepText, const std::wstring& containerKey)
{
    if (!entry.lpszSourceUrlName)
        return;
    if (cookiesOnly ? !IsCookie(entry) || IsKeptCookie(entry, keepText)
                    : (entry.CacheEntryType & (COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY)) != 0)
        return;
    if (entry.lpszLocalFileName && *entry.lpszLocalFileName &&
        !CTouchPolicy::MayDeleteCacheFile(RealKey(entry.lpszLocalFileName), containerKey))
        return;
    (void)::DeleteUrlCacheEntryW(entry.lpszSourceUrlName); // in use: it stays
}

// Calls visit for every entry the listing gives for the pattern; false when the walk
// stopped on an error before the end.
template <typename Visit> bool Walk(const UrlCacheListing& listing, const wchar_t* pattern, Visit visit)
{
    CacheWalk walk(listing, pattern);
    for (;;) {
        switch (walk.Status()) {
        case ERROR_INSUFFICIENT_BUFFER: walk.FetchAgain(); break;
        case ERROR_SUCCESS:
            visit(walk.Current());
            walk.FetchNext();
            break;
        case ERROR_NO_MORE_ITEMS: return true;
        default: return false;
        }
    }
}

// Windows lists its cookies only for the pattern, and only content without one. Wine
// lists nothing for the pattern (it knows the container as "Cookie:") and every entry
// without one. Both walks together find every cookie on either.
template <typename Visit> bool WalkCookies(const UrlCacheListing& listing, Visit visit)
{
    const bool byPattern = Walk(listing, kCookiePattern, visit);
    return Walk(listing, nullptr, visit) && byPattern;
}

} // namespace

bool CleanUrlCache(bool cookiesOnly, const UrlCacheListing& listing)
{
    bool unreadable = false;
    const std::optional<std::string> keepText = CookieKeepList().LoadText(&unreadable);
    const std::wstring containerKey = ContainerKey(cookiesOnly ? CACHE_CONFIG_COOKIES_PATHS_FC : CACHE_CONFIG_CONTENT_PATHS_FC);
    const auto decide = [&](const INTERNET_CACHE_ENTRY_INFOW& entry) {
        DecideOnEntry(entry, cookiesOnly, keepText, containerKey);
    };
    if (!cookiesOnly)
        return Walk(listing, nullptr, decide);
    if (unreadable)
        return true; // which cookies are kept cannot be told: they all stay
    return WalkCookies(listing, decide);
}

std::vector<std::wstring> KeptCookieFiles(const std::optional<std::string>& keepText, const UrlCacheListing& listing)
{
    std::vector<std::wstring> kept;
    (void)WalkCookies(listing, [&](const INTERNET_CACHE_ENTRY_INFOW& entry) {
        if (IsCookie(entry) && entry.lpszLocalFileName && IsKeptCookie(entry, keepText))
            kept.push_back(RealKey(entry.lpszLocalFileName));
    }); // a walk cut short spares fewer files by their entries
    return kept;
}

} // namespace corvale
