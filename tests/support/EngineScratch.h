#pragma once
// Scratch data for the settings and engine tests, made through the real API inside the
// test prefix and put back afterwards: folders with files, registry keys, saved and
// restored keys, files and environment variables, URL-cache entries.

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvale::test {

// A fresh folder, removed with everything in it at the end. Made under the Temp folder
// unless another parent is given; never holds links.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent = std::string());
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const;

    // Makes the file (and its folders) with the given text and attributes.
    std::string File(const std::string& relative, const std::string& text = "x",
                     DWORD attributes = FILE_ATTRIBUTE_NORMAL) const;
    std::string Folder(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Every entry below the folder, relative paths in sorted order, folders with "\".
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
};

bool PathExists(const std::string& path);
// The same for names outside the code page and paths of any length: each takes a full
// path, made into a "\\?\" path; WriteFileBytes makes the folders on the way.
bool PathExists(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
void RemoveTree(const std::wstring& folder);
// Every entry below a folder, as for ScratchFolder::Entries.
std::vector<std::string> ListTree(const std::string& folder);
// Removes a tree the test made (clearing attributes, never entering links).
void RemoveTree(const std::string& folder);
std::string TempFolder();
std::string WindowsFolder();
std::string SystemFolder();

// A registry key made for one test under HKCU\Software\CorvaleTests, removed at the end.
class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // The path below HKEY_CURRENT_USER.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "\\" + relative; }

private:
    std::string m_path;
};

// Direct registry access for arranging and checking, independent of CRegistryKey.
bool KeyExists(HKEY root, const std::string& path);
void CreateKey(HKEY root, const std::string& path);
void DeleteKeyTree(HKEY root, const std::string& path);
void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& data);
// A value named in any script, as the ANSI calls above cannot name it.
void SetWideString(HKEY root, const std::string& path, const std::wstring& name, const std::wstring& data);
void SetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD data);
void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes);
std::optional<DWORD> GetDwordValue(HKEY root, const std::string& path, const std::string& name);
std::vector<std::string> ValueNames(HKEY root, const std::string& path);
// A registry link at path to another key of HKEY_CURRENT_USER, as any of the user's
// programs may make one; and the removal of the link itself, never of what it names.
void MakeRegistryLink(const std::string& path, const std::string& target);
void DeleteRegistryLink(const std::string& path);
std::vector<std::string> SubKeyNames(HKEY root, const std::string& path);
// Names only the native calls spell, as any of the user's programs may make them: a
// zero character inside a value's name, or a key name with one inside.
void SetCountedValue(HKEY root, const std::string& path, const std::wstring& name, DWORD data);
class CountedKey {
public:
    // A subkey of root\path with a value "v" in it; removed again at the end, before the
    // Win32 calls meet a name they cannot spell.
    CountedKey(HKEY root, const std::string& path, std::wstring name);
    ~CountedKey();
    CountedKey(const CountedKey&) = delete;
    CountedKey& operator=(const CountedKey&) = delete;
    // The names of the key's values.
    std::vector<std::wstring> ValueNames() const;

private:
    HANDLE m_key = nullptr;
};
// A key with its values (names, types, bytes) and subkeys as text, to compare whole.
std::string KeyTreeText(HKEY root, const std::string& path);

// Remembers a key with all its values and subkeys and puts it back as it was (or
// removes it when it did not exist) at the end.
class ScopedKeyRestore {
public:
    ScopedKeyRestore(HKEY root, std::string path);
    ~ScopedKeyRestore();
    ScopedKeyRestore(const ScopedKeyRestore&) = delete;
    ScopedKeyRestore& operator=(const ScopedKeyRestore&) = delete;

    struct Tree;

private:
    HKEY m_root;
    std::string m_path;
    std::unique_ptr<Tree> m_saved;
};

// Remembers one value (type and bytes) and puts it back, or removes it when it did not
// exist, at the end; for values of system keys that must not be rebuilt whole.
class ScopedValueRestore {
public:
    ScopedValueRestore(HKEY root, std::string path, std::string name);
    ~ScopedValueRestore();
    ScopedValueRestore(const ScopedValueRestore&) = delete;
    ScopedValueRestore& operator=(const ScopedValueRestore&) = delete;

private:
    HKEY m_root;
    std::string m_path;
    std::string m_name;
    std::optional<std::pair<DWORD, std::string>> m_saved;
};

// Remembers a file's bytes and puts them back (or removes the file) at the end.
class ScopedFileRestore {
public:
    explicit ScopedFileRestore(std::string path);
    ~ScopedFileRestore();
    ScopedFileRestore(const ScopedFileRestore&) = delete;
    ScopedFileRestore& operator=(const ScopedFileRestore&) = delete;

private:
    std::string m_path;
    std::optional<std::string> m_bytes;
};

std::optional<std::string> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Sets an environment variable of this process for the test's lifetime.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// URL-cache entries made by WinINet itself.
struct CacheEntry {
    std::string url; // as the code page spells it
    DWORD type;
    std::wstring wideUrl;
    bool operator<(const CacheEntry& other) const { return url < other.url; }
};
// Creates the entry with a local file of the given size; true when committed.
bool AddCacheEntry(const std::string& url, DWORD type, size_t fileSize = 16,
                   const std::string& headers = std::string());
// An entry whose URL the code page may not spell.
bool AddCacheEntry(const std::wstring& url, DWORD type);
std::vector<CacheEntry> CacheEntries();
std::vector<std::string> CacheUrls(bool cookies);
void DeleteAllCacheEntries();

// Empties the URL cache for one test and puts back what it held at the end: each entry
// with its type, headers, times and local file, committed anew through WinINet.
class ScopedUrlCacheRestore {
public:
    ScopedUrlCacheRestore();
    ~ScopedUrlCacheRestore();
    ScopedUrlCacheRestore(const ScopedUrlCacheRestore&) = delete;
    ScopedUrlCacheRestore& operator=(const ScopedUrlCacheRestore&) = delete;

    struct Saved;

private:
    std::vector<Saved> m_saved;
};

// Folder links made from the Linux side by the harness before every run.
constexpr char kLinkFixtures[] = "C:\\corvale-fixtures";

} // namespace corvale::test
