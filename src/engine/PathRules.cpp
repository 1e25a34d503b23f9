#include "engine/PathRules.h"

namespace corvale {
namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::vector<std::string> SplitNames(const std::string& text, size_t from)
{
    std::vector<std::string> names;
    std::string name;
    for (size_t i = from; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i])) {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        } else {
            name += text[i];
        }
    }
    return names;
}

// Splits an absolute path into its root ("C:\" or "\\server\share") and the names
// below it; false when the path is not absolute.
bool SplitRoot(const std::string& path, std::string& root, std::vector<std::string>& names)
{
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
        root = {path[0], ':', '\\'};
        names = SplitNames(path, 3);
        return true;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\" and "\\.\" reach past the drive letters (on Wine, into the host's
        // own file system): never a sweep target. Doubled separators collapse, so
        // "///./x" names the device namespace too.
        std::vector<std::string> all = SplitNames(path, 2);
        if (all.size() < 2 || all[0] == "?" || all[0] == ".")
            return false;
        root = "\\\\" + all[0] + "\\" + all[1];
        names.assign(all.begin() + 2, all.end());
        return true;
    }
    return false;
}

} // namespace

bool IsAbsoluteFolderPath(const std::string& path)
{
    // Wildcards would turn the folder into a search pattern.
    if (path.find_first_of("*?\"<>|") != std::string::npos)
        return false;
    std::string root;
    std::vector<std::string> names;
    return SplitRoot(path, root, names);
}

std::string FolderComparisonKey(const std::string& path)
{
    std::string root;
    std::vector<std::string> names;
    if (!SplitRoot(path, root, names))
        return std::string();

    std::vector<std::string> resolved;
    for (std::string name : names) {
        if (name == ".")
            continue;
        if (name == "..") {
            if (!resolved.empty())
                resolved.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' '))
            name.pop_back();
        if (!name.empty())
            resolved.push_back(name);
    }

    std::string key = root;
    for (const std::string& name : resolved) {
        if (key.back() != '\\')
            key += '\\';
        key += name;
    }
    for (char& c : key)
        c = AsciiUpper(c);
    return key;
}

bool IsVolumeRoot(const std::string& key)
{
    std::string root;
    std::vector<std::string> names;
    return SplitRoot(key, root, names) && names.empty();
}

bool IsSameOrInside(const std::string& inner, const std::string& outer)
{
    if (outer.empty() || inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0)
        return false;
    return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

bool MayEnterFolder(const std::string& key, const std::vector<std::string>& protectedKeys)
{
    if (key.empty())
        return false;
    for (const std::string& protectedKey : protectedKeys) {
        if (IsSameOrInside(protectedKey, key))
            return false;
    }
    return true;
}

bool MayEmptyFolder(const std::string& key, const std::vector<std::string>& protectedKeys)
{
    return IsAbsoluteFolderPath(key) && !IsVolumeRoot(key) && MayEnterFolder(key, protectedKeys);
}

bool FitsMaxPath(const std::string& path)
{
    return path.size() < kMaxPath;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const bool folderEnds = folder.back() == '\\';
    const bool nameStarts = !name.empty() && name.front() == '\\';
    if (folderEnds && nameStarts)
        return folder + name.substr(1);
    if (folderEnds || nameStarts)
        return folder + name;
    return folder + "\\" + name;
}

} // namespace corvale
