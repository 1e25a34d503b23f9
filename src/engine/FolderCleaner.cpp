#include "engine/FolderCleaner.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "engine/CookieKeepList.h"
#include "engine/CookieRules.h"
#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

constexpr char kAllEntries[] = "*.*";

bool IsDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

using DeleteCall = BOOL(WINAPI*)(LPCSTR);

// Clears the attributes only where they stop the delete: read-only in the find data, or
// a refusal with access denied (the find data was stale), and then tries once more.
// Each SetFileAttributesA is a round trip of its own: clearing before every delete
// made the sweep cost more than twice the bare deletes under Wine.
void DeleteClearingAttributes(DeleteCall remove, const std::string& path, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0 &&
        (remove(path.c_str()) || ::GetLastError() != ERROR_ACCESS_DENIED))
        return; // gone, or held by what attributes do not change (in use, not empty)
    // FILE_ATTRIBUTE_NORMAL is how every attribute bit is cleared, read-only included.
    (void)::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)remove(path.c_str()); // in use or not empty: it stays and the sweep goes on
}

// Calls visit for each entry of the search that is neither "." nor "..", a link nor
// too long to name whole. The search stays open while visit runs (the sweep recurses
// from inside it).
template <typename Visit> void ForEachEntry(const std::string& folder, const std::string& pattern, Visit visit)
{
    const std::string search = JoinPath(folder, pattern);
    if (!FitsMaxPath(search))
        return;
    WIN32_FIND_DATAA entry{};
    FindHandle find(::FindFirstFileA(search.c_str(), &entry));
    if (!find)
        return;
    do {
        if (IsDotEntry(entry.cFileName) || IsLink(entry.dwFileAttributes))
            continue;
        const std::string path = JoinPath(folder, entry.cFileName);
        if (FitsMaxPath(path))
            visit(entry, path);
    } while (::FindNextFileA(find.Get(), &entry));
}

// Whether the folder itself is a link, which a sweep would empty in its target. The
// search reports the link's own attributes where GetFileAttributesA (on Wine) reports
// its target's.
bool IsLinkFolder(const std::string& path, const std::string& key)
{
    if (IsVolumeRoot(key))
        return false;
    std::string entry = path;
    while (entry.size() > 3 && entry.back() == '\\')
        entry.pop_back();
    WIN32_FIND_DATAA data{};
    FindHandle find(::FindFirstFileA(entry.c_str(), &data));
    return find && IsLink(data.dwFileAttributes);
}

// The comparison key of a folder an operation is about to clean, or empty when it may
// not work there: the path must be absolute (an empty or relative one would make the
// search start at the current drive or folder) and not a link. An operation that can
// take every entry of the folder also refuses volume roots and the protected folders;
// a masked sweep keeps to matching entries and may work on a drive root.
std::string CleanableFolderKey(const std::string& folder, bool takesEverything,
                               const std::vector<std::string>& protectedKeys)
{
    if (!IsAbsoluteFolderPath(folder))
        return std::string();
    const std::string key = ResolvedFolderKey(folder);
    if (key.empty() || (takesEverything && !MayEmptyFolder(key, protectedKeys)) || IsLinkFolder(folder, key))
        return std::string();
    return key;
}

class TreeSweep {
public:
    explicit TreeSweep(std::vector<std::string> protectedKeys) : m_protectedKeys(std::move(protectedKeys)) {}

    // Depth first: a folder's contents go before the folder, and an attribute reset,
    // where one is needed, comes before its delete.
    void Sweep(const std::string& folder, const std::string& folderKey, const std::string& mask)
    {
        ForEachEntry(folder, mask.empty() ? kAllEntries : mask,
                     [&](const WIN32_FIND_DATAA& entry, const std::string& path) {
                         if (IsFolder(entry.dwFileAttributes))
                             SweepFolder(path, JoinPath(folderKey, entry.cFileName), entry.dwFileAttributes);
                         else
                             DeleteClearingAttributes(::DeleteFileA, path, entry.dwFileAttributes);
                     });
    }

private:
    void SweepFolder(const std::string& path, const std::string& joinedKey, DWORD attributes)
    {
        const std::string key = FolderComparisonKey(joinedKey);
        if (!MayEnterFolder(key, m_protectedKeys))
            return;
        Sweep(path, key, std::string());
        DeleteClearingAttributes(::RemoveDirectoryA, path, attributes);
    }

    std::vector<std::string> m_protectedKeys;
};

} // namespace

void CFolderCleaner::SweepTree(const std::string& relative, const std::string& mask) const
{
    const std::string top = relative.empty() ? m_path : JoinPath(m_path, relative);
    std::vector<std::string> protectedKeys = ProtectedFolderKeys();
    const std::string topKey = CleanableFolderKey(top, mask.empty(), protectedKeys);
    if (!topKey.empty())
        TreeSweep(std::move(protectedKeys)).Sweep(top, topKey, mask);
}

void CFolderCleaner::DeleteMatchingFiles(const std::string& mask) const
{
    if (CleanableFolderKey(m_path, true, ProtectedFolderKeys()).empty())
        return;
    ForEachEntry(m_path, mask, [](const WIN32_FIND_DATAA& entry, const std::string& path) {
        if (!IsFolder(entry.dwFileAttributes))
            (void)::DeleteFileA(path.c_str()); // read-only or in use: it stays
    });
}

void CFolderCleaner::DeleteCookieFiles() const
{
    const std::optional<std::string> keepText = CookieKeepList().LoadText();
    if (CleanableFolderKey(m_path, true, ProtectedFolderKeys()).empty())
        return;
    ForEachEntry(m_path, kAllEntries, [&](const WIN32_FIND_DATAA& entry, const std::string& path) {
        if (IsCookieFileName(entry.cFileName) && !IsCookieFileKept(keepText, CookieNameOfFile(entry.cFileName)))
            (void)::DeleteFileA(path.c_str()); // a folder or a file in use stays
    });
}

} // namespace corvale
