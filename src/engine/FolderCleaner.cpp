#include "engine/FolderCleaner.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "engine/CookieKeepList.h"
#include "engine/CookieRules.h"
#include "engine/HeldFolder.h"
#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"
#include "engine/UrlCache.h"
#include "platform/AnsiText.h"

namespace corvale {
namespace {

bool IsFolder(std::uint32_t attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder an operation works in, held open, with what it was checked by.
struct TopFolder {
    CHeldFolder held;
    HandleFacts facts;      // with its full name
    std::wstring givenKey;  // the comparison key of the path it was given
    std::wstring key;       // and of where it really is
};

// Whether the system calls the folder the root of a volume: a drive, or a volume mounted
// in a folder, which no name of it need show.
bool IsVolumeRootFolder(const std::wstring& key)
{
    std::wstring root(key.size() + 2, L'\0');
    if (!::GetVolumePathNameW(key.c_str(), &root[0], static_cast<DWORD>(root.size())))
        return true; // cannot say: not to be emptied
    root.resize(root.find(L'\0'));
    return FolderComparisonKey(root) == key;
}

// Opens an entry with the most rights the policy lets a sweep ask and settle for; the
// rights it got are left in `rights`.
template <typename Opened, typename Open> Opened OpenSettling(bool isFolder, EntryRights& rights, Open open)
{
    for (;;) {
        OpenStatus status = OpenStatus::Failed;
        Opened opened = open(rights, status);
        if (status == OpenStatus::Opened)
            return opened;
        const std::optional<EntryRights> next = CTouchPolicy::SettleFor(isFolder, rights, status);
        if (!next)
            return Opened(); // gone, held by another program, refused or failed: it stays
        rights = *next;
    }
}

// Marks the entry for deletion. Where its read-only bit is what refuses that, the bit is
// cleared and the delete tried once more; when the entry stays all the same (another
// program has it mapped or running), the bit is put back.
void DeleteThrough(HANDLE entry, EntryRights rights)
{
    if (MarkForDeletion(entry) || rights != EntryRights::DeleteAndChange || ::GetLastError() != ERROR_ACCESS_DENIED)
        return; // going, or not empty, in use, or not the user's to change
    const std::optional<HandleFacts> facts = AttributesOfHandle(entry);
    if (!facts || !CTouchPolicy::MayClearReadOnly(*facts) ||
        !SetAttributeBits(entry, facts->attributes & ~FILE_ATTRIBUTE_READONLY))
        return;
    if (!MarkForDeletion(entry))
        (void)SetAttributeBits(entry, facts->attributes); // it stays, as it was
}

// Deletes a file entry of the folder named folderName, once it is known to be that
// folder's own entry: Wine lists a link to a file as a plain file and opens, and would
// delete, the file it names.
void DeleteFileEntry(const CHeldFolder& folder, const std::wstring& folderName, const ListedEntry& entry,
                     EntryRights rights)
{
    const FileHandle file = OpenSettling<FileHandle>(false, rights, [&](EntryRights asked, OpenStatus& status) {
        return folder.OpenChildFile(entry.name, asked, status);
    });
    if (file && CTouchPolicy::IsOwnEntry(folderName, entry.name, NameOfHandle(file.Get())))
        DeleteThrough(file.Get(), rights);
}

// Opens the top folder. Following links, where it really is; without, as a sweep enters
// a folder: through its parent's listing, only while the entry is no link.
std::optional<TopFolder> OpenTop(const std::wstring& path, Reach reach, const CTouchPolicy& policy)
{
    const std::wstring given = ResolvedFolderKey(path);
    if (given.empty())
        return std::nullopt;
    TopFolder top;
    top.givenKey = given;
    if (reach == Reach::ThroughLinks) {
        top.held = CHeldFolder::OpenPath(path);
        std::optional<HandleFacts> facts = top.held.Facts();
        if (!facts || !IsFolder(facts->attributes))
            return std::nullopt; // nothing there to clean
        // Where the folder really is, whatever name reached it; the name it was given
        // where the system cannot say (Wine, beyond MAX_PATH). Its identity is checked
        // either way.
        const std::wstring final = top.held.FinalPath();
        top.facts = std::move(*facts);
        top.key = final.empty() ? given : FolderComparisonKey(final);
        return top;
    }
    const size_t slash = given.find_last_of(L'\\');
    if (IsVolumeRoot(given) || slash == std::wstring::npos)
        return std::nullopt;
    const std::wstring parentKey = given.substr(0, slash) + (slash == 2 ? L"\\" : L"");
    const CHeldFolder parent = CHeldFolder::OpenPath(parentKey);
    const std::optional<HandleFacts> parentFacts = parent.Facts();
    if (!parentFacts)
        return std::nullopt;
    std::optional<ListedEntry> listed;
    parent.ForEachEntry([&](const ListedEntry& entry) {
        if (::CompareStringOrdinal(entry.name.c_str(), static_cast<int>(entry.name.size()), given.c_str() + slash + 1,
                                   static_cast<int>(given.size() - slash - 1), TRUE) == CSTR_EQUAL)
            listed = entry;
        return !listed;
    });
    if (!listed)
        return std::nullopt;
    OpenStatus status = OpenStatus::Failed;
    top.held = parent.OpenChildFolder(listed->name, EntryRights::ListOnly, status);
    std::optional<HandleFacts> facts = top.held.Facts();
    top.key = FolderComparisonKey(JoinPath(parentKey, listed->name));
    if (!facts || !policy.MayEnter(*listed, parentFacts->name, *facts, top.key))
        return std::nullopt;
    top.facts = std::move(*facts);
    return top;
}

// The folder an operation may clean, or nothing: one that may take every entry (no mask)
// asks the policy whether the folder may be emptied; a masked sweep keeps to matching
// entries and may work in a drive root.
std::optional<TopFolder> FindCleanableFolder(const std::wstring& path, Reach reach, const std::wstring& mask,
                                             const CTouchPolicy& policy)
{
    std::optional<TopFolder> top = OpenTop(path, reach, policy);
    if (!top)
        return std::nullopt;
    const bool isVolumeRoot = IsVolumeRootFolder(top->key);
    const bool may = mask.empty() ? policy.MayEmpty(top->givenKey, top->key, top->facts, isVolumeRoot)
                                  : policy.MayLookInto(top->facts, mask, isVolumeRoot);
    return may ? std::move(top) : std::nullopt;
}

// Depth first, without recursion: a folder's contents go before the folder. Each level
// holds its folder open; the listing buffer, the folder's name and its comparison key are
// shared by all levels, each level keeping only where its own part begins, so a tree as
// deep as the file system allows costs one handle and a few words a level.
class TreeSweep {
public:
    TreeSweep(const CTouchPolicy& policy, const std::wstring& mask) : m_policy(policy), m_mask(mask) {}

    void Run(TopFolder& top)
    {
        m_key = top.key;
        m_name = top.facts.name;
        // The top folder itself stays: it is listed, never deleted.
        m_levels.push_back(Level{std::move(top.held), 0, 0, EntryRights::ListOnly, {}, true});
        while (!m_levels.empty()) {
            Level& level = m_levels.back();
            if (!level.folders.empty()) {
                const ListedEntry entry = std::move(level.folders.back());
                level.folders.pop_back();
                Enter(entry);
            } else if (m_listing.Next(level.folder, level.first)) {
                level.first = false;
                Take(level);
            } else {
                Leave();
            }
        }
    }

private:
    struct Level {
        CHeldFolder folder;
        size_t keyLength;  // of the shared key before this level's name
        size_t nameLength; // of the shared name before this level's name
        EntryRights rights;
        std::vector<ListedEntry> folders; // listed in the last batch, not entered yet
        bool first;
    };

    // One batch of the innermost folder: its files go now, its folders once the batch
    // is through, since entering one lists into the same buffer; they are entered in the
    // order listed.
    void Take(Level& level)
    {
        const bool top = m_levels.size() == 1;
        m_listing.ForEach([&](const ListedEntry& entry) {
            const bool isFolder = IsFolder(entry.attributes);
            if (top && !m_mask.empty() && !CTouchPolicy::TakesMaskedEntry(entry.name, isFolder, m_mask))
                return true;
            if (isFolder)
                level.folders.push_back(entry);
            else
                DeleteFileEntry(level.folder, m_name, entry, EntryRights::DeleteAndChange);
            return true;
        });
        std::reverse(level.folders.begin(), level.folders.end());
    }

    void Enter(const ListedEntry& entry)
    {
        const Level& parent = m_levels.back();
        EntryRights rights = EntryRights::DeleteAndChange;
        CHeldFolder child = OpenSettling<CHeldFolder>(true, rights, [&](EntryRights asked, OpenStatus& status) {
            return parent.folder.OpenChildFolder(entry.name, asked, status);
        });
        std::optional<HandleFacts> facts = child.Facts();
        if (!facts)
            return;
        if (CTouchPolicy::MayDeleteAsLink(entry, m_name, *facts)) {
            if (rights != EntryRights::ListOnly)
                (void)MarkForDeletion(child.Get()); // in use: the link stays
            return;
        }
        std::wstring key = FolderComparisonKey(JoinPath(m_key, entry.name));
        if (!m_policy.MayEnter(entry, m_name, *facts, key))
            return;
        m_levels.push_back(Level{std::move(child), m_key.size(), m_name.size(), rights, {}, true});
        m_key = std::move(key);
        m_name = std::move(facts->name);
    }

    // The innermost folder is through: it goes, if it may and all in it went.
    void Leave()
    {
        const Level& level = m_levels.back();
        if (level.rights != EntryRights::ListOnly)
            DeleteThrough(level.folder.Get(), level.rights);
        m_key.resize(level.keyLength);
        m_name.resize(level.nameLength);
        m_levels.pop_back(); // closing its handle deletes it
    }

    const CTouchPolicy& m_policy;
    const std::wstring& m_mask;
    std::vector<Level> m_levels;
    std::wstring m_key;
    std::wstring m_name;
    CHeldFolder::Listing m_listing;
};

} // namespace

void CFolderCleaner::SweepTree(const std::wstring& relative, const std::wstring& mask) const
{
    const std::wstring top = relative.empty() ? m_path : JoinPath(m_path, relative);
    if (std::optional<TopFolder> folder = FindCleanableFolder(top, m_reach, mask, m_policy))
        TreeSweep(m_policy, mask).Run(*folder);
}

void CFolderCleaner::DeleteMatchingFiles(const std::wstring& mask) const
{
    const std::optional<TopFolder> folder = FindCleanableFolder(m_path, m_reach, std::wstring(), m_policy);
    if (!folder)
        return;
    folder->held.ForEachEntry([&](const ListedEntry& entry) {
        if (!IsFolder(entry.attributes) && MatchesMask(entry.name, mask))
            DeleteFileEntry(folder->held, folder->facts.name, entry, EntryRights::DeleteOnly); // read-only: it stays
        return true;
    });
}

void CFolderCleaner::DeleteCookieFiles() const
{
    bool unreadable = false;
    const std::optional<std::string> keepText = CookieKeepList().LoadText(&unreadable);
    if (unreadable)
        return; // which cookies are kept cannot be told: they all stay
    const std::optional<TopFolder> folder = FindCleanableFolder(m_path, m_reach, std::wstring(), m_policy);
    if (!folder)
        return;
    const std::vector<std::wstring> keptByEntry = KeptCookieFiles(keepText);
    folder->held.ForEachEntry([&](const ListedEntry& entry) {
        // The keep-list holds names as the keep-list dialog shows them: in the ANSI code
        // page, lookalike characters bent to their best fit. A name is judged in that
        // form, so a cookie the user kept is never taken; it is deleted by its own name.
        const std::string shown = AnsiBestFit(entry.name);
        if (IsFolder(entry.attributes) || !IsCookieFileName(shown) || IsCookieFileKept(keepText, CookieNameOfFile(shown)))
            return true;
        const std::wstring key = FolderComparisonKey(JoinPath(folder->key, entry.name));
        if (std::find(keptByEntry.begin(), keptByEntry.end(), key) == keptByEntry.end())
            DeleteFileEntry(folder->held, folder->facts.name, entry, EntryRights::DeleteOnly);
        return true;
    });
}

} // namespace corvale
