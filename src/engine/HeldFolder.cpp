#include "engine/HeldFolder.h"

#include <winternl.h>

#include <vector>

namespace corvale {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr NTSTATUS kInvalidName = static_cast<NTSTATUS>(0xC0000033L);
constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
constexpr OBJECT_INFORMATION_CLASS kObjectNameInformation = static_cast<OBJECT_INFORMATION_CLASS>(1);
constexpr FS_INFORMATION_CLASS kFileFsDeviceInformation = static_cast<FS_INFORMATION_CLASS>(4);
constexpr ULONG kRemoteDevice = 0x10; // FILE_REMOTE_DEVICE
// The attribute bits a handle may set; the others are the file system's to give.
// (0x20000, 0x80000 and 0x100000: no scrub data, pinned and unpinned, which older headers
// lack.)
constexpr DWORD kChangeableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                        FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                        FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | 0x20000 | 0x80000 | 0x100000;

ACCESS_MASK AccessFor(bool isFolder, EntryRights rights)
{
    const ACCESS_MASK base = FILE_READ_ATTRIBUTES | (isFolder ? FILE_LIST_DIRECTORY : 0);
    switch (rights) {
    case EntryRights::DeleteAndChange: return base | DELETE | FILE_WRITE_ATTRIBUTES;
    case EntryRights::DeleteOnly: return base | DELETE;
    case EntryRights::ListOnly: return base;
    }
    return base;
}

OpenStatus StatusOf(NTSTATUS result)
{
    if (result >= 0)
        return OpenStatus::Opened;
    switch (static_cast<ULONG>(result)) {
    case 0xC000000F: // STATUS_NO_SUCH_FILE
    case 0xC0000034: // STATUS_OBJECT_NAME_NOT_FOUND
    case 0xC000003A: // STATUS_OBJECT_PATH_NOT_FOUND
    case 0xC0000056: // STATUS_DELETE_PENDING
        return OpenStatus::Gone;
    case 0xC0000043: // STATUS_SHARING_VIOLATION
        return OpenStatus::InUse;
    case 0xC0000022: // STATUS_ACCESS_DENIED
        return OpenStatus::Refused;
    default: return OpenStatus::Failed; // a file where a folder was listed, among others
    }
}

// Opens name relative to the folder without following a link. The name is the one the
// listing gave, matched exactly: it holds no separator, so it names an entry of this
// folder and nothing else.
HANDLE OpenRelative(HANDLE folder, const std::wstring& name, bool isFolder, EntryRights rights, OpenStatus& status)
{
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/") != std::wstring::npos ||
        name.size() > 0x7FFF) {
        status = StatusOf(kInvalidName);
        return INVALID_HANDLE_VALUE;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(WCHAR));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, 0, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const ULONG kind = isFolder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE;
    const NTSTATUS result = ::NtCreateFile(
        &handle, AccessFor(isFolder, rights) | SYNCHRONIZE, &attributes, &io, nullptr, 0, kShareAll, FILE_OPEN,
        kind | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    status = StatusOf(result);
    return result >= 0 ? handle : INVALID_HANDLE_VALUE;
}

// "\\?\" before a full path lifts the length limit; it also stops every further reading
// of the path, so the path is made full first.
std::wstring LongPathForm(const std::wstring& path)
{
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return std::wstring();
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size)
        return std::wstring();
    full.resize(length);
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool IsRemoteDevice(HANDLE handle)
{
    struct {
        ULONG deviceType;
        ULONG characteristics;
    } device{};
    IO_STATUS_BLOCK io{};
    return ::NtQueryVolumeInformationFile(handle, &io, &device, sizeof(device), kFileFsDeviceInformation) >= 0 &&
           (device.characteristics & kRemoteDevice) != 0;
}

} // namespace

std::wstring NameOfHandle(HANDLE handle)
{
    // Most names fit the buffer on the stack (every file of a sweep is asked); a longer
    // one is asked again at the size it gives.
    ULONGLONG small[256];
    std::vector<ULONGLONG> large;
    void* buffer = small;
    ULONG size = sizeof(small);
    for (int tries = 0; tries < 3; ++tries) {
        ULONG needed = 0;
        const NTSTATUS result = ::NtQueryObject(handle, kObjectNameInformation, buffer, size, &needed);
        if (result >= 0) {
            const auto* name = static_cast<const UNICODE_STRING*>(buffer);
            return std::wstring(name->Buffer, name->Length / sizeof(WCHAR));
        }
        if (needed <= size)
            return std::wstring(); // failed otherwise
        large.resize(needed / sizeof(ULONGLONG) + 1);
        buffer = large.data();
        size = static_cast<ULONG>(large.size() * sizeof(ULONGLONG));
    }
    return std::wstring();
}

std::wstring FinalPathOfHandle(HANDLE handle)
{
    const DWORD size = ::GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED);
    if (size == 0)
        return std::wstring();
    std::wstring named(size, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(handle, &named[0], size, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= size)
        return std::wstring();
    named.resize(length);
    // "\\?\C:\x" and "\\?\UNC\server\share\x" are the usual forms of a drive and a share;
    // anything else in the device namespace stays unnamed.
    if (named.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + named.substr(8);
    if (named.compare(0, 4, L"\\\\?\\") == 0)
        named.erase(0, 4);
    const bool drive = named.size() >= 3 && named[1] == L':' && named[2] == L'\\';
    return drive ? named : std::wstring();
}

std::optional<HandleFacts> FactsOfHandle(HANDLE handle, bool withName)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const std::optional<std::uint64_t> index = IndexOfHandle(handle);
    if (!index || !::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)))
        return std::nullopt;
    HandleFacts facts;
    facts.attributes = tag.FileAttributes;
    facts.reparseTag = tag.ReparseTag;
    facts.index = *index;
    facts.handle = reinterpret_cast<std::uintptr_t>(handle);
    if (withName) {
        facts.name = NameOfHandle(handle);
        facts.remote = IsRemoteDevice(handle);
        if (facts.name.empty())
            return std::nullopt; // what cannot be named cannot be checked
    }
    return facts;
}

std::optional<HandleFacts> AttributesOfHandle(HANDLE handle)
{
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic)) ||
        !::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof(standard)))
        return std::nullopt;
    HandleFacts facts;
    facts.attributes = basic.FileAttributes;
    facts.links = standard.NumberOfLinks;
    return facts;
}

std::optional<std::uint64_t> IndexOfHandle(HANDLE handle)
{
    IO_STATUS_BLOCK io{};
    FILE_INTERNAL_INFORMATION internal{};
    if (::NtQueryInformationFile(handle, &io, &internal, sizeof(internal), FileInternalInformation) < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(internal.IndexNumber.QuadPart);
}

std::optional<std::uint32_t> VolumeOfHandle(HANDLE handle)
{
    // The label that follows the serial may not fit; the serial is there all the same.
    struct {
        LARGE_INTEGER created;
        ULONG serial;
        ULONG labelLength;
        BOOLEAN supportsObjects;
        WCHAR label[64];
    } volume{};
    IO_STATUS_BLOCK io{};
    const NTSTATUS result = ::NtQueryVolumeInformationFile(handle, &io, &volume, sizeof(volume), FileFsVolumeInformation);
    if (result < 0 && result != kBufferOverflow)
        return std::nullopt;
    return volume.serial;
}

bool MarkForDeletion(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool SetAttributeBits(HANDLE handle, DWORD attributes)
{
    FILE_BASIC_INFO basic{}; // zero times stay as they are
    basic.FileAttributes = attributes & kChangeableAttributes;
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL; // zero would mean "no change"
    return ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

CHeldFolder CHeldFolder::OpenPath(const std::wstring& path, bool forListing)
{
    const std::wstring longPath = LongPathForm(path);
    if (longPath.empty())
        return CHeldFolder();
    const DWORD access = forListing ? FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE : 0;
    return CHeldFolder(
        ::CreateFileW(longPath.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

CHeldFolder CHeldFolder::OpenChildFolder(const std::wstring& name, EntryRights rights, OpenStatus& status) const
{
    return CHeldFolder(OpenRelative(m_handle.Get(), name, true, rights, status));
}

FileHandle CHeldFolder::OpenChildFile(const std::wstring& name, EntryRights rights, OpenStatus& status) const
{
    return FileHandle(OpenRelative(m_handle.Get(), name, false, rights, status));
}

CHeldFolder::Listing::Listing() : m_buffer(new ULONGLONG[kBatchSize / sizeof(ULONGLONG)]) {}

bool CHeldFolder::Listing::Next(const CHeldFolder& folder, bool first)
{
    return ::GetFileInformationByHandleEx(folder.Get(), first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo,
                                          m_buffer.get(), kBatchSize) != FALSE;
}

} // namespace corvale
