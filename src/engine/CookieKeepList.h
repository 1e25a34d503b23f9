#pragma once
// The cookie keep-list file "coockies.sav" in the system folder: the names cookie
// cleaning spares. Read afresh by every operation that needs it; written only by the
// keep-list dialog.

#include <optional>
#include <string>
#include <vector>

namespace corvale {

class CookieKeepList {
public:
    // The machine's one list: the system folder + "\coockies.sav".
    CookieKeepList();
    explicit CookieKeepList(std::string path);

    const std::string& Path() const { return m_path; }

    // The whole text of the file, up to its first zero byte; absent when the file
    // cannot be opened or read. unreadable, where given, tells the second apart: a file
    // is there that cannot be read (refused, or held by another program without
    // sharing), and none of the cookies it may keep can be told from the others.
    std::optional<std::string> LoadText(bool* unreadable = nullptr) const;

    // Writes each name followed by a line feed. The bytes go to a file beside the list
    // that then replaces it in one step, so a save that fails halfway leaves the old list
    // as it was. False when the list was not replaced.
    bool Save(const std::vector<std::string>& names) const;

private:
    std::string m_path;
};

} // namespace corvale
