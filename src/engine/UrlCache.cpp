#include "engine/UrlCache.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/CookieKeepList.h"
#include "engine/CookieRules.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

constexpr DWORD kInitialEntrySize = 4096;

// One walk over the cache. The entry buffer only grows: after one large entry every
// later call offers the larger size.
class CacheWalk {
public:
    // Fetches the first entry, or the entry that did not fit once more, into a new
    // buffer of the size asked for last.
    void FetchAgain()
    {
        m_storage.reset(new std::uint64_t[(m_bufferSize + 7) / 8]);
        if (m_find) {
            FetchNext();
            return;
        }
        const HANDLE find = ::FindFirstUrlCacheEntryA(nullptr, Entry(), PrepareSize());
        Settle(find != nullptr);
        m_find.Reset(find);
    }

    void FetchNext() { Settle(::FindNextUrlCacheEntryA(m_find.Get(), Entry(), PrepareSize()) != FALSE); }

    DWORD Status() const { return m_status; }
    const INTERNET_CACHE_ENTRY_INFOA& Current() const { return *Entry(); }

private:
    INTERNET_CACHE_ENTRY_INFOA* Entry() const { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(m_storage.get()); }

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

    UrlCacheFindHandle m_find;
    std::unique_ptr<std::uint64_t[]> m_storage; // 8-byte aligned, as the record needs
    DWORD m_bufferSize = kInitialEntrySize;
    DWORD m_callSize = 0;
    DWORD m_status = ERROR_INSUFFICIENT_BUFFER;
};

void DecideOnEntry(const INTERNET_CACHE_ENTRY_INFOA& entry, bool cookiesOnly,
                   const std::optional<std::string>& keepText)
{
    if (!entry.lpszSourceUrlName)
        return;
    const bool isCookie = (entry.CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
    if (isCookie != cookiesOnly)
        return;
    if (isCookie && IsCookieEntryKept(keepText, CookieKeyOfUrl(entry.lpszSourceUrlName)))
        return;
    (void)::DeleteUrlCacheEntryA(entry.lpszSourceUrlName); // in use: it stays
}

} // namespace

bool CleanUrlCache(bool cookiesOnly)
{
    const std::optional<std::string> keepText = CookieKeepList().LoadText();
    CacheWalk walk;
    for (;;) {
        switch (walk.Status()) {
        case ERROR_INSUFFICIENT_BUFFER: walk.FetchAgain(); break;
        case ERROR_SUCCESS:
            DecideOnEntry(walk.Current(), cookiesOnly, keepText);
            walk.FetchNext();
            break;
        case ERROR_NO_MORE_ITEMS: return true;
        default: return false;
        }
    }
}

} // namespace corvale
