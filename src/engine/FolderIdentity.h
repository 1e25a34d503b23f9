#pragma once
// Who a folder is rather than what it is called: the volume serial number and file index
// the file system gives it. Every name that reaches one folder (a link in any of its
// components, a second drive letter, a short name, another case of a name outside ASCII)
// gives the same identity, where the texts of those names all differ.

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/TouchPolicy.h"

namespace corvale {

// Which paths name places on other computers: a share, or a drive letter mapped to one.
// Asked of the path alone, without reaching the place, and once a drive letter: Wine
// answers slowly.
class CRemoteDrives {
public:
    bool IsRemote(const std::wstring& path);

private:
    std::array<std::optional<bool>, 26> m_letters;
};

// The protected folders and every folder above them, by identity: the folders a sweep
// may neither empty nor enter. A folder reached through a link brings the folders above
// where it really is as well. Resolved once, when made.
class CProtectedIdentities {
public:
    CProtectedIdentities(const std::vector<std::wstring>& folders, CRemoteDrives& remoteDrives);

    // Whether the folder is a member (a protected folder itself, with protectedOnly), or
    // cannot be told from one.
    bool Holds(const HandleFacts& folder, bool protectedOnly) const;
    // The comparison keys of the protected folders themselves, by name and where they
    // really are.
    std::vector<std::wstring> ProtectedPaths() const;

private:
    // A folder of the set by its file index, which the file system answers at once, and
    // its path: its volume is asked, with the folder opened again to see that it is
    // still the one it was, only where two indexes match. Protected folders are members
    // in their own right, the folders above them as their parents. A member on a share
    // that did not answer in time has no index: it cannot be told from any folder on a
    // share, and is none of this computer's own (a share of this computer answers).
    struct Member {
        std::optional<ULONGLONG> index;
        std::wstring path;
        bool isProtected;
        bool remote;
    };

    void AddWithParents(const std::wstring& path, bool isProtected, std::vector<std::wstring>& seen,
                        CRemoteDrives& remoteDrives);
    // Asks the members on shares who they are, all at once and for a bounded time.
    void IdentifyRemoteMembers();

    std::vector<Member> m_members;
};



} // namespace corvale
