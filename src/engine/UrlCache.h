#pragma once
// Cleaning of the browser's URL cache (WinINet).

namespace corvale {

// Walks the current user's URL cache. With cookiesOnly false it deletes every entry
// that is not a cookie entry; with cookiesOnly true every cookie entry the keep-list
// does not spare. The keep-list is read afresh on every call. True when the walk
// reached the end of the cache, false when it stopped on another error.
bool CleanUrlCache(bool cookiesOnly);

} // namespace corvale
