#pragma once
// CTouchPolicy: the engine's one answer to "may this be touched?". A cleaning run makes
// one and hands it to every operation; an operation asks it before it enters a folder,
// deletes an entry, changes an attribute, deletes a cache entry or empties a registry
// list, and carries out only what it allows. The operations gather the facts (what a
// listing said, what an open handle says of itself); every decision on them is here.
//
// What reaches the engine from outside, and how it is answered (docs/threat-model.md
// names the test of each):
// - folder values (shell folders, TEMP): absolute, not a volume root by name or by
//   handle, neither a protected folder nor holding one, by name and by identity;
// - protected folders on shares: asked on a thread of their own for a bounded time, so
//   a share that does not answer never holds the run;
// - folders other users can make (C:\temp, C:\tmp): never reached through a link;
// - links of every kind inside a folder: never entered, never deleted through what they
//   name; a folder swapped after it was listed is entered only if it is still the
//   folder listed (file index, and full name with its volume);
// - hard links: a read-only file with other names keeps its bit;
// - attributes: read-only is cleared only where it refuses the delete, and put back
//   when the entry stays all the same;
// - handles other programs hold: a folder held without delete sharing is still emptied;
// - disk-check names: folders "FOUND.nnn" and files "FILEnnnn.CHK" only;
// - URL-cache entries: deleted only while their file lies inside their container;
// - registry lists: never emptied through a registry link.
//
// No Windows header here: the rules are pure, built and tested natively.

#include <cstdint>
#include <optional>
#include <string>

namespace corvale {

// What an open handle tells of what it holds. Each operation asks only what it decides
// on; the handle itself travels along for what is asked only where needed (the volume's
// serial number, which Wine answers slowly).
struct HandleFacts {
    std::uint32_t attributes = 0;
    std::uint32_t reparseTag = 0; // what kind of reparse point, where it is one
    std::uint64_t index = 0;      // the file index on its volume
    std::uint32_t links = 1;      // the number of names the file has
    bool remote = false;          // on another computer's share
    std::wstring name;            // its full name on the system, volume or drive included
    std::uintptr_t handle = 0;
};

// One entry as its folder's listing gave it.
struct ListedEntry {
    std::wstring name;
    std::uint32_t attributes = 0;
    std::uint64_t index = 0; // 0 where the file system gives none
};

// How an open of an entry ended: gone, held by another program without the sharing
// asked for, refused the rights asked for, or failed otherwise.
enum class OpenStatus { Opened, Gone, InUse, Refused, Failed };

// The rights a sweep asks of an entry, from the most to the least.
enum class EntryRights {
    DeleteAndChange, // delete it, and clear its read-only bit where that refuses the delete
    DeleteOnly,
    ListOnly, // a folder: empty it, and leave it
};

// The system's own and the users' own folders, resolved by the run that asks.
class IProtectedFolders {
public:
    // Whether the folder is a protected folder, one above a protected folder, or cannot
    // be told from one; key is the comparison key of its path.
    virtual bool IsOrHolds(const HandleFacts& folder, const std::wstring& key) = 0;
    // Whether the folder is, or may be, a protected folder itself.
    virtual bool IsProtected(const HandleFacts& folder) = 0;
    // The comparison key of the innermost protected folder that holds the path (by its
    // name or where it really is), or nothing.
    virtual std::wstring Within(const std::wstring& key) = 0;

protected:
    ~IProtectedFolders() = default;
};

// Whether a top folder or a registry key is reached through the links on its way.
enum class Reach { ThroughLinks, NoLinks };

// The masks a disk check's leftovers match, for the masked sweeps of the drive roots.
constexpr wchar_t kDiskCheckFoldersMask[] = L"FOUND.*";
constexpr wchar_t kDiskCheckFilesMask[] = L"FILE*.CHK";

class CTouchPolicy {
public:
    explicit CTouchPolicy(IProtectedFolders& protectedFolders) : m_protected(protectedFolders) {}

    // The top folder of an operation that may take every entry in it. givenKey and key:
    // the comparison keys of the path it was given and of where it really is;
    // isVolumeRoot: the system calls it the root of a volume (a drive, or a volume
    // mounted in a folder). A folder reached through a link (or a drive letter) from a
    // name outside a protected folder into one inside it is not emptied: any user can
    // make such a link in a folder of theirs (C:\tmp), and point a folder value at it.
    bool MayEmpty(const std::wstring& givenKey, const std::wstring& key, const HandleFacts& folder,
                  bool isVolumeRoot) const;
    // The top folder of a masked sweep: never a protected folder itself, and for the disk
    // check's masks only the real root of a volume, where a disk check leaves its
    // leftovers (a drive letter may name any folder).
    bool MayLookInto(const HandleFacts& folder, const std::wstring& mask, bool isVolumeRoot) const;

    // A top folder that other users can make (C:\temp) is never reached through a link:
    // one could make it a link into this user's own folders. The user's own folders
    // (TEMP, the shell folders, moved elsewhere with a link) and the system's are.
    static Reach FolderReach(bool sharedWithOtherUsers);
    // A key of the user's own hive is never opened through a registry link: any program
    // the user runs can make one there, into another of the user's keys. The machine's
    // keys are reached through the administrators' links (CurrentControlSet is one).
    static Reach KeyReach(bool usersOwnHive);

    // A folder entry opened relative to its folder (named parentName): entered only while
    // it is the very folder the listing gave and no link, and never when it is or holds a
    // protected folder. key: the comparison key of its path.
    bool MayEnter(const ListedEntry& entry, const std::wstring& parentName, const HandleFacts& child,
                  const std::wstring& key) const;
    // A link in a folder opened as itself (Windows does; Wine opens what it names) may be
    // deleted as itself, what it names staying: a symbolic link, a junction or a volume's
    // mount point. Other reparse points (a cloud file's placeholder) are left alone.
    static bool MayDeleteAsLink(const ListedEntry& entry, const std::wstring& parentName, const HandleFacts& child);

    // Whether an opened file is the folder's own entry, not a file elsewhere that a link
    // in the folder names: its full name is the folder's plus the entry's.
    static bool IsOwnEntry(const std::wstring& folderName, const std::wstring& entryName,
                           const std::wstring& fileName);

    // Whether the read-only bit of an entry whose delete was refused may be cleared to
    // try again: only when it is set, and never on a file with other names, which share
    // it.
    static bool MayClearReadOnly(const HandleFacts& entry);

    // What to ask for after an open with `asked` ended with `status`; nothing when the
    // entry is to be left alone.
    static std::optional<EntryRights> SettleFor(bool isFolder, EntryRights asked, OpenStatus status);

    // Whether a masked sweep takes the entry: its long name matches the mask. The disk
    // check leaves folders "FOUND.nnn" and files "FILEnnnn.CHK": with its two masks only
    // such a folder, or such a file, is taken, the wildcard standing for digits alone.
    static bool TakesMaskedEntry(const std::wstring& name, bool isFolder, const std::wstring& mask);

    // Whether a URL-cache entry may be deleted with its local file: only while that file
    // lies inside the entry's container (both where they really are). An entry without a
    // file always may; one whose file cannot be placed never.
    static bool MayDeleteCacheFile(const std::wstring& fileKey, const std::wstring& containerKey);

private:
    IProtectedFolders& m_protected;
};

} // namespace corvale
