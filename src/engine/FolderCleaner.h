#pragma once
// CFolderCleaner: deletes the contents of one folder. Made from a copy of a path just
// before one operation and discarded after it; it reports nothing.
//
// The paths come from user-controlled values (shell folders, TEMP), so no operation
// touches what lies outside its folder: links inside it (any entry carrying
// FILE_ATTRIBUTE_REPARSE_POINT) are neither followed nor deleted, a folder that is
// itself a link is cleaned in its target, a path that would exceed MAX_PATH is
// skipped, empty and relative paths are refused, and every operation but a masked
// sweep refuses volume roots and folders that are or hold the system's and the users'
// own folders, under whatever name they are reached.

#include <string>

namespace corvale {

class CFolderCleaner {
public:
    explicit CFolderCleaner(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }

    // Deletes everything below Path + relative that matches the mask at the first level
    // (an empty mask matches all), matching folders with their whole contents; the
    // folder itself stays. Clears attributes only where they keep an entry from going
    // (read-only, or a delete refused with access denied). With an empty mask the
    // folder must be one whose whole contents may go.
    void SweepTree(const std::string& relative, const std::string& mask) const;

    // Deletes the plain files of Path that match the mask, at that one level only.
    // Read-only files stay.
    void DeleteMatchingFiles(const std::string& mask) const;

    // Deletes the cookie files of Path (the Cookies folder) that the keep-list does not
    // spare; "index.dat" and names beginning with "." stay.
    void DeleteCookieFiles() const;

private:
    std::string m_path;
};

} // namespace corvale
