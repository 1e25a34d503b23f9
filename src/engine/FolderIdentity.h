#pragma once
// Who a folder is rather than what it is called: the volume serial number and file index
// the file system gives it. Every name that reaches one folder (a link in any of its
// components, a second drive letter, a short name, another case of a name outside ASCII)
// gives the same identity, where the texts of those names all differ.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace corvale {

class CHeldFolder;

struct FolderIdentity {
    DWORD VolumeSerial = 0;
    DWORD IndexHigh = 0;
    DWORD IndexLow = 0;

    bool operator==(const FolderIdentity& other) const
    {
        return VolumeSerial == other.VolumeSerial && IndexHigh == other.IndexHigh && IndexLow == other.IndexLow;
    }
};

// The protected folders and every folder above them, by identity: the folders a sweep
// may neither empty nor enter. A folder reached through a link brings the folders above
// where it really is as well. Resolved once, when made.
class CProtectedIdentities {
public:
    explicit CProtectedIdentities(const std::vector<std::wstring>& folders);

    // Whether the folder held open can be named by identity and is neither a protected
    // folder nor one above a protected folder.
    bool MayEnter(const CHeldFolder& folder) const { return !Holds(folder, false); }
    // Whether the folder held open is, or may be, one of the protected folders
    // themselves (a drive letter can name one as its root).
    bool IsProtectedFolder(const CHeldFolder& folder) const { return Holds(folder, true); }

private:
    // A folder of the set by its file index, which the file system answers at once, and
    // its path: its whole identity asks the volume for its serial number, which costs
    // as much as the rest, so it is asked only where two indexes match. Protected
    // folders are members in their own right, the folders above them as their parents.
    struct Member {
        std::optional<ULONGLONG> index;
        std::wstring path;
        bool isProtected;
    };

    // Whether the folder is a member (a protected one only, with protectedOnly), or
    // cannot be told from one.
    bool Holds(const CHeldFolder& folder, bool protectedOnly) const;
    void AddWithParents(const std::wstring& path, bool isProtected, std::vector<std::wstring>& seen);

    std::vector<Member> m_members;
};

} // namespace corvale
