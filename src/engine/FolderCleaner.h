#pragma once
// CFolderCleaner: deletes the contents of one folder. Made from a copy of a path just
// before one operation and discarded after it; it reports nothing.
//
// The paths come from user-controlled values (shell folders, TEMP), and the names in
// the folders from anyone who can leave a file there, so no operation touches what lies
// outside its folder. Names are UTF-16 throughout, as the file system holds them: none
// is bent into another by a code page. Each folder is held open while it is cleaned,
// and everything in it is listed, opened and deleted through that handle, never by a
// path built from names: a link inside it is removed as a link where the system opens
// it as one, and never entered, also when a folder turned into a link after it was
// listed. A folder that is itself a link is cleaned in its target. Empty and relative
// paths are refused, and every operation but a masked sweep refuses volume roots; no
// operation enters a folder that is or holds one of the system's and the users' own
// folders, checked on each folder's own handle.

#include <string>

namespace corvale {

class CFolderCleaner {
public:
    explicit CFolderCleaner(std::wstring path) : m_path(std::move(path)) {}

    const std::wstring& Path() const { return m_path; }

    // Deletes everything below Path + relative that matches the mask at the first level
    // (an empty mask matches all), matching folders with their whole contents; the
    // folder itself stays. A mask is matched on long names only (see MatchesMask).
    // Clears attributes only where they keep an entry from going.
    void SweepTree(const std::wstring& relative, const std::wstring& mask) const;

    // Deletes the plain files of Path that match the mask, at that one level only.
    // Read-only files stay.
    void DeleteMatchingFiles(const std::wstring& mask) const;

    // Deletes the cookie files of Path (the Cookies folder) that the keep-list does not
    // spare; "index.dat" and names beginning with "." stay.
    void DeleteCookieFiles() const;

private:
    std::wstring m_path;
};

} // namespace corvale
