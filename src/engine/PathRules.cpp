#include "engine/PathRules.h"

namespace corvale {
namespace {

template <typename Char> bool IsSeparator(Char c)
{
    return c == '\\' || c == '/';
}

template <typename Char> bool IsAsciiLetter(Char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

template <typename Char> Char AsciiUpper(Char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

template <typename Char> std::basic_string<Char> Text(const char* ascii)
{
    return std::basic_string<Char>(ascii, ascii + std::char_traits<char>::length(ascii));
}

template <typename Char>
std::vector<std::basic_string<Char>> SplitNames(const std::basic_string<Char>& text, size_t from)
{
    std::vector<std::basic_string<Char>> names;
    std::basic_string<Char> name;
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
// A colon in a name would name a stream of a file or folder: "D:\:$I30:$INDEX_ALLOCATION"
// is the root of D:.
template <typename Char> bool AnyStream(const std::vector<std::basic_string<Char>>& names)
{
    for (const std::basic_string<Char>& name : names) {
        if (name.find(Char(':')) != std::basic_string<Char>::npos)
            return true;
    }
    return false;
}

template <typename Char>
bool SplitRoot(const std::basic_string<Char>& path, std::basic_string<Char>& root,
               std::vector<std::basic_string<Char>>& names)
{
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
        root = {path[0], ':', '\\'};
        names = SplitNames(path, 3);
        return !AnyStream(names);
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\?\" and "\\.\" reach past the drive letters (on Wine, into the host's
        // own file system): never a sweep target. Doubled separators collapse, so
        // "///./x" names the device namespace too.
        std::vector<std::basic_string<Char>> all = SplitNames(path, 2);
        if (all.size() < 2 || all[0] == Text<Char>("?") || all[0] == Text<Char>("."))
            return false;
        root = Text<Char>("\\\\") + all[0] + Text<Char>("\\") + all[1];
        names.assign(all.begin() + 2, all.end());
        return !AnyStream(all);
    }
    return false;
}

template <typename Char> bool MatchesFrom(const Char* name, const Char* mask)
{
    for (; *mask; ++mask, ++name) {
        if (*mask == '*') {
            for (const Char* rest = name;; ++rest) {
                if (MatchesFrom(rest, mask + 1))
                    return true;
                if (!*rest)
                    return false;
            }
        }
        if (!*name || (*mask != '?' && AsciiUpper(*mask) != AsciiUpper(*name)))
            return false;
    }
    return !*name;
}

template <typename Char> bool IsAbsoluteFolderPathOf(const std::basic_string<Char>& path)
{
    // Wildcards would turn the folder into a search pattern.
    if (path.find_first_of(Text<Char>("*?\"<>|")) != std::basic_string<Char>::npos)
        return false;
    std::basic_string<Char> root;
    std::vector<std::basic_string<Char>> names;
    return SplitRoot(path, root, names);
}

template <typename Char> std::basic_string<Char> FolderComparisonKeyOf(const std::basic_string<Char>& path)
{
    std::basic_string<Char> root;
    std::vector<std::basic_string<Char>> names;
    if (!SplitRoot(path, root, names))
        return std::basic_string<Char>();

    std::vector<std::basic_string<Char>> resolved;
    for (std::basic_string<Char> name : names) {
        if (name == Text<Char>("."))
            continue;
        if (name == Text<Char>("..")) {
            if (!resolved.empty())
                resolved.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' '))
            name.pop_back();
        if (!name.empty())
            resolved.push_back(name);
    }

    std::basic_string<Char> key = root;
    for (const std::basic_string<Char>& name : resolved) {
        if (key.back() != '\\')
            key += '\\';
        key += name;
    }
    for (Char& c : key)
        c = AsciiUpper(c);
    return key;
}

template <typename Char> bool IsVolumeRootOf(const std::basic_string<Char>& key)
{
    std::basic_string<Char> root;
    std::vector<std::basic_string<Char>> names;
    return SplitRoot(key, root, names) && names.empty();
}

template <typename Char> bool IsSameOrInsideOf(const std::basic_string<Char>& inner, const std::basic_string<Char>& outer)
{
    if (outer.empty() || inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0)
        return false;
    return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

template <typename Char>
bool MayEnterFolderOf(const std::basic_string<Char>& key, const std::vector<std::basic_string<Char>>& protectedKeys)
{
    if (key.empty())
        return false;
    for (const std::basic_string<Char>& protectedKey : protectedKeys) {
        if (IsSameOrInsideOf(protectedKey, key))
            return false;
    }
    return true;
}

template <typename Char>
bool MayEmptyFolderOf(const std::basic_string<Char>& key, const std::vector<std::basic_string<Char>>& protectedKeys)
{
    return IsAbsoluteFolderPathOf(key) && !IsVolumeRootOf(key) && MayEnterFolderOf(key, protectedKeys);
}

template <typename Char>
std::basic_string<Char> JoinPathOf(const std::basic_string<Char>& folder, const std::basic_string<Char>& name)
{
    if (folder.empty())
        return name;
    const bool folderEnds = folder.back() == '\\';
    const bool nameStarts = !name.empty() && name.front() == '\\';
    if (folderEnds && nameStarts)
        return folder + name.substr(1);
    if (folderEnds || nameStarts)
        return folder + name;
    return folder + Char('\\') + name;
}

template <typename Char> bool MatchesMaskOf(const std::basic_string<Char>& name, const std::basic_string<Char>& mask)
{
    const size_t size = mask.size();
    if (size >= 2 && mask[size - 2] == '.' && mask[size - 1] == '*') {
        const size_t dot = name.rfind(Char('.'));
        if (dot == std::basic_string<Char>::npos || dot + 1 == name.size())
            return false;
    }
    // A zero inside either text would end the match early: no long name holds one.
    if (name.find(Char(0)) != std::basic_string<Char>::npos || mask.find(Char(0)) != std::basic_string<Char>::npos)
        return false;
    return MatchesFrom(name.c_str(), mask.c_str());
}

} // namespace

bool IsAbsoluteFolderPath(const std::string& path) { return IsAbsoluteFolderPathOf(path); }
bool IsAbsoluteFolderPath(const std::wstring& path) { return IsAbsoluteFolderPathOf(path); }
std::string FolderComparisonKey(const std::string& path) { return FolderComparisonKeyOf(path); }
std::wstring FolderComparisonKey(const std::wstring& path) { return FolderComparisonKeyOf(path); }
bool IsVolumeRoot(const std::string& key) { return IsVolumeRootOf(key); }
bool IsVolumeRoot(const std::wstring& key) { return IsVolumeRootOf(key); }
bool IsSameOrInside(const std::string& inner, const std::string& outer) { return IsSameOrInsideOf(inner, outer); }
bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer) { return IsSameOrInsideOf(inner, outer); }
bool MayEnterFolder(const std::string& key, const std::vector<std::string>& keys) { return MayEnterFolderOf(key, keys); }
bool MayEnterFolder(const std::wstring& key, const std::vector<std::wstring>& keys) { return MayEnterFolderOf(key, keys); }
bool MayEmptyFolder(const std::string& key, const std::vector<std::string>& keys) { return MayEmptyFolderOf(key, keys); }
bool MayEmptyFolder(const std::wstring& key, const std::vector<std::wstring>& keys) { return MayEmptyFolderOf(key, keys); }
std::string JoinPath(const std::string& folder, const std::string& name) { return JoinPathOf(folder, name); }
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) { return JoinPathOf(folder, name); }
bool MatchesMask(const std::string& name, const std::string& mask) { return MatchesMaskOf(name, mask); }
bool MatchesMask(const std::wstring& name, const std::wstring& mask) { return MatchesMaskOf(name, mask); }

} // namespace corvale
