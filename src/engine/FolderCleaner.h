#pragma once
// CFolderCleaner: deletes the contents of one folder. Made from a copy of a path just
// before one operation and discarded after it; it reports nothing.
//
// The paths come from user-controlled values (shell folders, TEMP) or name folders any
// user can make (C:\temp), and the names in the folders come from anyone who can leave a
// file there. Every operation asks the run's touch policy before it enters, deletes or
// changes anything, and works only through handles: each folder is held open while it
// is cleaned, and everything in it is listed, opened and deleted relative to it, never
// by a path built from names. Names are UTF-16 throughout, as the file system holds
// them: none is bent into another by a code page.

#include <string>

#include "engine/TouchPolicy.h"

namespace corvale {

class CFolderCleaner {
public:
    // reach: whether the folder itself is followed through a link (see CTouchPolicy).
    CFolderCleaner(const CTouchPolicy& policy, std::wstring path, Reach reach = Reach::ThroughLinks)
        : m_policy(policy), m_path(std::move(path)), m_reach(reach)
    {
    }

    const std::wstring& Path() const { return m_path; }

    // Deletes everything below Path + relative that the mask takes at the first level
    // (an empty mask takes all), matching folders with their whole contents; the folder
    // itself stays. A mask is matched on long names only, as the policy says.
    void SweepTree(const std::wstring& relative, const std::wstring& mask) const;

    // Deletes the plain files of Path that match the mask, at that one level only.
    // Read-only files stay.
    void DeleteMatchingFiles(const std::wstring& mask) const;

    // Deletes the cookie files of Path (the Cookies folder) that the keep-list does not
    // spare; "index.dat" and names beginning with "." stay.
    void DeleteCookieFiles() const;

private:
    const CTouchPolicy& m_policy;
    std::wstring m_path;
    Reach m_reach;
};

} // namespace corvale
