#pragma once
// Cleaning of the browser's URL cache (WinINet).

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>
#include <vector>

namespace corvale {

// The calls that list the cache, the system's wide ones unless a test stands in for a
// platform that answers the search patterns otherwise.
struct UrlCacheListing {
    using FindFirst = HANDLE(WINAPI*)(LPCWSTR pattern, LPINTERNET_CACHE_ENTRY_INFOW entry, LPDWORD size);
    using FindNext = BOOL(WINAPI*)(HANDLE find, LPINTERNET_CACHE_ENTRY_INFOW entry, LPDWORD size);
    FindFirst findFirst = ::FindFirstUrlCacheEntryW;
    FindNext findNext = ::FindNextUrlCacheEntryW;
};

// Walks the current user's URL cache. With cookiesOnly false it deletes every content
// entry (neither a cookie nor a history entry); with cookiesOnly true every cookie entry
// the keep-list does not spare, none when the keep-list is there but cannot be read. The
// keep-list is read afresh on every call. True when the walks reached the end of the
// cache, false when one stopped on another error.
bool CleanUrlCache(bool cookiesOnly, const UrlCacheListing& listing = UrlCacheListing());

// Where the files of the cookie entries the keep-list spares really are (comparison
// keys): WinINet names cookie files at random, so such a file is kept by its entry.
std::vector<std::wstring> KeptCookieFiles(const std::optional<std::string>& keepText,
                                          const UrlCacheListing& listing = UrlCacheListing());

} // namespace corvale
