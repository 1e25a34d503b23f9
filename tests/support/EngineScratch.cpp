#include "support/EngineScratch.h"

#include <wininet.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/AnsiText.h"

namespace corvale::test {
namespace {

std::string UniqueName(const char* prefix)
{
    static std::atomic<unsigned> counter{0};
    char name[96];
    std::snprintf(name, sizeof(name), "%s-%lu-%u-%lu", prefix, ::GetCurrentProcessId(), counter++, ::GetTickCount());
    return name;
}

void MakeFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        (void)::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    (void)::CreateDirectoryA(path.c_str(), nullptr);
}

void ListInto(const std::string& folder, const std::string& prefix, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA entry{};
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        out.push_back(prefix + name + (isFolder ? "\\" : ""));
        if (isFolder && !isLink)
            ListInto(folder + "\\" + name, prefix + name + "\\", out);
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
}

HKEY OpenForTest(HKEY root, const std::string& path, REGSAM access = KEY_ALL_ACCESS)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& parent)
{
    const std::string base = parent.empty() ? TempFolder() : parent;
    m_path = (base.back() == '\\' ? base : base + "\\") + UniqueName("corvale-test");
    MakeFolders(m_path);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(m_path);
}

std::string ScratchFolder::operator/(const std::string& relative) const
{
    return m_path + "\\" + relative;
}

std::string ScratchFolder::File(const std::string& relative, const std::string& text, DWORD attributes) const
{
    const std::string path = *this / relative;
    const size_t slash = path.rfind('\\');
    MakeFolders(path.substr(0, slash));
    WriteFileBytes(path, text);
    (void)::SetFileAttributesA(path.c_str(), attributes);
    return path;
}

std::string ScratchFolder::Folder(const std::string& relative) const
{
    const std::string path = *this / relative;
    MakeFolders(path);
    return path;
}

bool ScratchFolder::Exists(const std::string& relative) const
{
    return PathExists(*this / relative);
}

std::vector<std::string> ScratchFolder::Entries() const
{
    return ListTree(m_path);
}

bool PathExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListTree(const std::string& folder)
{
    std::vector<std::string> entries;
    ListInto(folder, std::string(), entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry{};
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == ".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            const std::string path = folder + "\\" + name;
            (void)::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                (void)::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    (void)::RemoveDirectoryA(folder.c_str());
}

namespace {

std::wstring LongPath(const std::wstring& path)
{
    return L"\\\\?\\" + path;
}

} // namespace

bool PathExists(const std::wstring& path)
{
    return ::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        (void)::CreateDirectoryW(LongPath(path.substr(0, slash)).c_str(), nullptr); // most are there already
    HANDLE file = ::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE)
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW(LongPath(folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                (void)::DeleteFileW(LongPath(path).c_str());
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    (void)::RemoveDirectoryW(LongPath(folder).c_str());
}

std::string TempFolder()
{
    char path[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof(path), path);
    return path;
}

std::string WindowsFolder()
{
    char path[MAX_PATH] = {};
    ::GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}

std::string SystemFolder()
{
    char path[MAX_PATH] = {};
    ::GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

ScratchKey::ScratchKey() : m_path("Software\\CorvaleTests\\" + UniqueName("key"))
{
    CreateKey(HKEY_CURRENT_USER, m_path);
}

ScratchKey::~ScratchKey()
{
    DeleteKeyTree(HKEY_CURRENT_USER, m_path);
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = OpenForTest(root, path, KEY_READ);
    if (key)
        ::RegCloseKey(key);
    return key != nullptr;
}

void CreateKey(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        ::RegCloseKey(key);
}

void DeleteKeyTree(HKEY root, const std::string& path)
{
    (void)::RegDeleteTreeA(root, path.c_str());
    (void)::RegDeleteKeyA(root, path.c_str());
}

void MakeRegistryLink(const std::string& path, const std::string& target)
{
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE user[256] = {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, user, sizeof(user), &size);
    ::CloseHandle(token);
    wchar_t* sid = nullptr;
    ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    const std::wstring link = L"\\Registry\\User\\" + std::wstring(sid ? sid : L"") + L"\\" + WideFromAnsi(target);
    ::LocalFree(sid);
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                          KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(link.c_str()),
                     static_cast<DWORD>(link.size() * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void DeleteRegistryLink(const std::string& path)
{
    using DeleteKey = LONG(NTAPI*)(HANDLE);
    const auto deleteKey =
        reinterpret_cast<DeleteKey>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), REG_OPTION_OPEN_LINK, DELETE, &key) != ERROR_SUCCESS)
        return;
    deleteKey(key);
    ::RegCloseKey(key);
}

void SetRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes)
{
    CreateKey(root, path);
    HKEY key = OpenForTest(root, path);
    if (!key)
        return;
    ::RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
}

void SetString(HKEY root, const std::string& path, const std::string& name, const std::string& data)
{
    SetRaw(root, path, name, REG_SZ, std::string(data.c_str(), data.size() + 1));
}

void SetWideString(HKEY root, const std::string& path, const std::wstring& name, const std::wstring& data)
{
    CreateKey(root, path);
    HKEY key = OpenForTest(root, path);
    if (!key)
        return;
    ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void SetDwordValue(HKEY root, const std::string& path, const std::string& name, DWORD data)
{
    SetRaw(root, path, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&data), 4));
}

std::optional<DWORD> GetDwordValue(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = OpenForTest(root, path, KEY_READ);
    if (!key)
        return std::nullopt;
    DWORD data = 0;
    DWORD size = sizeof(data);
    DWORD type = 0;
    const LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != 4)
        return std::nullopt;
    return data;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    HKEY key = OpenForTest(root, path, KEY_READ);
    if (!key)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD length = sizeof(name);
        if (::RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    ::RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

struct CountedName {
    USHORT length;
    USHORT maximumLength;
    const wchar_t* buffer;
};
struct KeyAttributes {
    ULONG length;
    HANDLE root;
    const CountedName* name;
    ULONG attributes;
    void* securityDescriptor;
    void* qualityOfService;
};

template <typename Function> Function Native(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), name)));
}

CountedName Counted(const std::wstring& name)
{
    const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    return {bytes, bytes, name.data()};
}

} // namespace

void SetCountedValue(HKEY root, const std::string& path, const std::wstring& name, DWORD data)
{
    using SetValue = LONG(NTAPI*)(HANDLE, const CountedName*, ULONG, ULONG, const void*, ULONG);
    CreateKey(root, path);
    HKEY key = OpenForTest(root, path);
    if (!key)
        return;
    const CountedName counted = Counted(name);
    Native<SetValue>("NtSetValueKey")(key, &counted, 0, REG_DWORD, &data, sizeof(data));
    ::RegCloseKey(key);
}

CountedKey::CountedKey(HKEY root, const std::string& path, std::wstring name)
{
    using CreateKeyFunction = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, const KeyAttributes*, ULONG, void*, ULONG, ULONG*);
    CreateKey(root, path);
    HKEY parent = OpenForTest(root, path);
    if (!parent)
        return;
    const CountedName counted = Counted(name);
    const KeyAttributes attributes{sizeof(KeyAttributes), parent, &counted, 0x40 /* OBJ_CASE_INSENSITIVE */, nullptr,
                                   nullptr};
    // Volatile: it goes with the session, and may sit below a volatile key.
    if (Native<CreateKeyFunction>("NtCreateKey")(&m_key, KEY_ALL_ACCESS, &attributes, 0, nullptr, REG_OPTION_VOLATILE,
                                                 nullptr) != 0)
        m_key = nullptr;
    ::RegCloseKey(parent);
    const DWORD one = 1;
    if (m_key)
        ::RegSetValueExW(static_cast<HKEY>(m_key), L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
}

CountedKey::~CountedKey()
{
    if (!m_key)
        return;
    Native<LONG(NTAPI*)(HANDLE)>("NtDeleteKey")(m_key);
    ::CloseHandle(m_key);
}

std::vector<std::wstring> CountedKey::ValueNames() const
{
    std::vector<std::wstring> names;
    for (DWORD index = 0; m_key; ++index) {
        wchar_t name[16384];
        DWORD length = 16384;
        if (::RegEnumValueW(static_cast<HKEY>(m_key), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::string> SubKeyNames(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    HKEY key = OpenForTest(root, path, KEY_READ);
    if (!key)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        if (::RegEnumKeyA(key, index, name, sizeof(name)) != ERROR_SUCCESS)
            break;
        names.emplace_back(name);
    }
    ::RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

struct ScopedKeyRestore::Tree {
    struct Value {
        std::string name;
        DWORD type;
        std::string bytes;
    };
    std::vector<Value> values;
    std::map<std::string, Tree> subKeys;
};

namespace {

std::unique_ptr<ScopedKeyRestore::Tree> Snapshot(HKEY root, const std::string& path)
{
    HKEY key = OpenForTest(root, path, KEY_READ);
    if (!key)
        return nullptr;
    auto tree = std::make_unique<ScopedKeyRestore::Tree>();
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof(name);
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string bytes(size, '\0');
        nameLength = sizeof(name);
        ::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size);
        bytes.resize(size);
        tree->values.push_back({std::string(name, nameLength), type, bytes});
    }
    ::RegCloseKey(key);
    for (const std::string& sub : SubKeyNames(root, path)) {
        if (auto subTree = Snapshot(root, path + "\\" + sub))
            tree->subKeys.emplace(sub, std::move(*subTree));
    }
    return tree;
}

void Restore(HKEY root, const std::string& path, const ScopedKeyRestore::Tree& tree)
{
    CreateKey(root, path);
    for (const auto& value : tree.values)
        SetRaw(root, path, value.name, value.type, value.bytes);
    for (const auto& [name, sub] : tree.subKeys)
        Restore(root, path + "\\" + name, sub);
}

void AppendText(const ScopedKeyRestore::Tree& tree, const std::string& path, std::string& text)
{
    for (const auto& value : tree.values)
        text += path + " [" + value.name + "] " + std::to_string(value.type) + " " + value.bytes + "\n";
    for (const auto& [name, sub] : tree.subKeys) {
        text += path + "\\" + name + "\n";
        AppendText(sub, path + "\\" + name, text);
    }
}

} // namespace

std::string KeyTreeText(HKEY root, const std::string& path)
{
    std::string text;
    if (const auto tree = Snapshot(root, path))
        AppendText(*tree, path, text);
    return text;
}

ScopedKeyRestore::ScopedKeyRestore(HKEY root, std::string path)
    : m_root(root), m_path(std::move(path)), m_saved(Snapshot(m_root, m_path))
{
}

ScopedKeyRestore::~ScopedKeyRestore()
{
    DeleteKeyTree(m_root, m_path);
    if (m_saved)
        Restore(m_root, m_path, *m_saved);
}

ScopedValueRestore::ScopedValueRestore(HKEY root, std::string path, std::string name)
    : m_root(root), m_path(std::move(path)), m_name(std::move(name))
{
    HKEY key = OpenForTest(m_root, m_path, KEY_READ);
    if (!key)
        return;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, m_name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (::RegQueryValueExA(key, m_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) ==
            ERROR_SUCCESS)
            m_saved.emplace(type, bytes.substr(0, size));
    }
    ::RegCloseKey(key);
}

ScopedValueRestore::~ScopedValueRestore()
{
    if (m_saved) {
        SetRaw(m_root, m_path, m_name, m_saved->first, m_saved->second);
        return;
    }
    HKEY key = OpenForTest(m_root, m_path);
    if (!key)
        return;
    ::RegDeleteValueA(key, m_name.c_str());
    ::RegCloseKey(key);
}

std::optional<std::string> ReadFileBytes(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (!bytes.empty())
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

ScopedFileRestore::ScopedFileRestore(std::string path) : m_path(std::move(path)), m_bytes(ReadFileBytes(m_path)) {}

ScopedFileRestore::~ScopedFileRestore()
{
    if (m_bytes)
        WriteFileBytes(m_path, *m_bytes);
    else
        (void)::DeleteFileA(m_path.c_str());
}

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value) : m_name(std::move(name))
{
    char old[32768];
    const DWORD length = ::GetEnvironmentVariableA(m_name.c_str(), old, sizeof(old));
    if (length > 0 && length < sizeof(old))
        m_old = std::string(old, length);
    ::SetEnvironmentVariableA(m_name.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    ::SetEnvironmentVariableA(m_name.c_str(), m_old ? m_old->c_str() : nullptr);
}

bool AddCacheEntry(const std::string& url, DWORD type, size_t fileSize, const std::string& headers)
{
    char file[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryA(url.c_str(), static_cast<DWORD>(fileSize), "txt", file, 0))
        return false;
    WriteFileBytes(file, std::string(fileSize, 'c'));
    FILETIME never{};
    return ::CommitUrlCacheEntryA(url.c_str(), file, never, never, type,
                                  headers.empty() ? nullptr
                                                  : reinterpret_cast<BYTE*>(const_cast<char*>(headers.c_str())),
                                  static_cast<DWORD>(headers.size()), nullptr, nullptr) != FALSE;
}

bool AddCacheEntry(const std::wstring& url, DWORD type)
{
    wchar_t file[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryW(url.c_str(), 1, L"txt", file, 0))
        return false;
    WriteFileBytes(file, "c");
    FILETIME never{};
    return ::CommitUrlCacheEntryW(url.c_str(), file, never, never, type, nullptr, 0, nullptr, nullptr) != FALSE;
}

namespace {

// Calls visit for every entry of the URL cache, fetching an entry again into a larger
// buffer when it does not fit.
template <typename Char, typename Info, typename Visit>
void WalkCache(HANDLE(WINAPI* findFirst)(const Char*, Info*, DWORD*), BOOL(WINAPI* findNext)(HANDLE, Info*, DWORD*),
               Visit visit)
{
    std::vector<std::uint64_t> buffer(512); // 4096 bytes, aligned as the record needs
    HANDLE find = nullptr;
    for (;;) {
        auto* info = reinterpret_cast<Info*>(buffer.data());
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(buffer[0]));
        info->dwStructSize = size;
        bool fetched = false;
        if (find) {
            fetched = findNext(find, info, &size) != FALSE;
        } else {
            find = findFirst(nullptr, info, &size);
            fetched = find != nullptr;
        }
        if (fetched) {
            visit(*info);
            continue;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size() * sizeof(buffer[0]))
            break;
        buffer.resize(size / sizeof(buffer[0]) + 1);
    }
    if (find)
        ::FindCloseUrlCache(find);
}

} // namespace

std::vector<CacheEntry> CacheEntries()
{
    std::vector<CacheEntry> entries;
    WalkCache(::FindFirstUrlCacheEntryW, ::FindNextUrlCacheEntryW, [&](const INTERNET_CACHE_ENTRY_INFOW& info) {
        const std::wstring url = info.lpszSourceUrlName ? info.lpszSourceUrlName : L"";
        entries.push_back({AnsiBestFit(url), info.CacheEntryType, url});
    });
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<std::string> CacheUrls(bool cookies)
{
    std::vector<std::string> urls;
    for (const CacheEntry& entry : CacheEntries()) {
        if (((entry.type & COOKIE_CACHE_ENTRY) != 0) == cookies)
            urls.push_back(entry.url);
    }
    return urls;
}

void DeleteAllCacheEntries()
{
    for (const CacheEntry& entry : CacheEntries())
        ::DeleteUrlCacheEntryW(entry.wideUrl.c_str());
}

struct ScopedUrlCacheRestore::Saved {
    std::string url;
    DWORD type;
    std::string headers;
    std::string extension;
    std::optional<std::string> file; // the bytes of the local file, when it has one
    FILETIME expires;
    FILETIME modified;
};

ScopedUrlCacheRestore::ScopedUrlCacheRestore()
{
    WalkCache(::FindFirstUrlCacheEntryA, ::FindNextUrlCacheEntryA, [&](const INTERNET_CACHE_ENTRY_INFOA& info) {
        if (!info.lpszSourceUrlName)
            return;
        Saved saved{info.lpszSourceUrlName,
                    info.CacheEntryType,
                    info.lpHeaderInfo ? std::string(info.lpHeaderInfo, info.dwHeaderInfoSize) : std::string(),
                    info.lpszFileExtension ? info.lpszFileExtension : "",
                    std::nullopt,
                    info.ExpireTime,
                    info.LastModifiedTime};
        if (info.lpszLocalFileName && info.lpszLocalFileName[0])
            saved.file = ReadFileBytes(info.lpszLocalFileName);
        m_saved.push_back(std::move(saved));
    });
    DeleteAllCacheEntries();
}

ScopedUrlCacheRestore::~ScopedUrlCacheRestore()
{
    DeleteAllCacheEntries();
    for (Saved& saved : m_saved) {
        char file[MAX_PATH] = {};
        if (saved.file) {
            if (!::CreateUrlCacheEntryA(saved.url.c_str(), static_cast<DWORD>(saved.file->size()),
                                        saved.extension.c_str(), file, 0))
                continue;
            WriteFileBytes(file, *saved.file);
        }
        (void)::CommitUrlCacheEntryA(saved.url.c_str(), saved.file ? file : nullptr, saved.expires, saved.modified,
                                     saved.type,
                                     saved.headers.empty() ? nullptr : reinterpret_cast<BYTE*>(&saved.headers[0]),
                                     static_cast<DWORD>(saved.headers.size()), nullptr, nullptr);
    }
}

} // namespace corvale::test
