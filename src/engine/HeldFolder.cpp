#include "engine/HeldFolder.h"

#include <winternl.h>

#include <memory>

namespace corvale {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Listing, deleting and clearing attributes, all on the one handle.
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE |
                                      SYNCHRONIZE;
constexpr NTSTATUS kAccessDenied = static_cast<NTSTATUS>(0xC0000022L);
constexpr NTSTATUS kInvalidName = static_cast<NTSTATUS>(0xC0000033L);
constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
constexpr FILE_INFORMATION_CLASS kFileNameInformation = static_cast<FILE_INFORMATION_CLASS>(9);

// Opens name relative to the folder without following a link. The name is the one the
// listing gave, matched exactly: it holds no separator, so it names an entry of this
// folder and nothing else.
NTSTATUS OpenRelative(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG options, HANDLE& opened)
{
    opened = INVALID_HANDLE_VALUE;
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/") != std::wstring::npos ||
        name.size() > 0x7FFF)
        return kInvalidName;
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(WCHAR));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, 0, folder, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    const NTSTATUS result =
        ::NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, kShareAll, FILE_OPEN,
                       options | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT,
                       nullptr, 0);
    if (result >= 0)
        opened = handle;
    return result;
}

bool SetDisposition(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// FILE_ATTRIBUTE_NORMAL is how every attribute bit is cleared, read-only included.
bool ClearAttributes(HANDLE handle)
{
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

// The path of what the handle holds on its volume ("\\folder\\file"), or nothing.
std::optional<std::wstring> VolumeName(HANDLE handle)
{
    // Most names fit the first buffer; a longer one is asked again at its own size.
    ULONGLONG small[256];
    std::unique_ptr<ULONGLONG[]> large;
    void* buffer = small;
    ULONG size = sizeof(small);
    IO_STATUS_BLOCK status{};
    NTSTATUS result = ::NtQueryInformationFile(handle, &status, buffer, size, kFileNameInformation);
    const auto* info = static_cast<const FILE_NAME_INFO*>(buffer);
    if (result == kBufferOverflow) {
        size = sizeof(FILE_NAME_INFO) + info->FileNameLength;
        large.reset(new ULONGLONG[size / sizeof(ULONGLONG) + 1]);
        buffer = large.get();
        result = ::NtQueryInformationFile(handle, &status, buffer, size, kFileNameInformation);
        info = static_cast<const FILE_NAME_INFO*>(buffer);
    }
    if (result < 0) // the overflow of a name that grew meanwhile included
        return std::nullopt;
    return std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR));
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

} // namespace

CHeldFolder CHeldFolder::OpenPath(const std::wstring& path, bool forListing)
{
    const std::wstring longPath = LongPathForm(path);
    if (longPath.empty())
        return CHeldFolder();
    const DWORD access = forListing ? FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE : 0;
    return CHeldFolder(
        ::CreateFileW(longPath.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

CHeldFolder CHeldFolder::OpenChild(const std::wstring& name) const
{
    HANDLE opened = INVALID_HANDLE_VALUE;
    // A folder the user may not change the attributes of is still cleaned, and then
    // stays only if it is read-only.
    if (OpenRelative(m_handle.Get(), name, kFolderAccess, FILE_DIRECTORY_FILE, opened) == kAccessDenied)
        (void)OpenRelative(m_handle.Get(), name, kFolderAccess & ~FILE_WRITE_ATTRIBUTES, FILE_DIRECTORY_FILE, opened);
    return CHeldFolder(opened); // gone, or held without sharing: not entered
}

std::optional<DWORD> CHeldFolder::Attributes() const
{
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(m_handle.Get(), FileAttributeTagInfo, &info, sizeof(info)))
        return std::nullopt;
    return info.FileAttributes;
}

std::optional<ULONGLONG> CHeldFolder::Index() const
{
    IO_STATUS_BLOCK status{};
    FILE_INTERNAL_INFORMATION info{};
    if (::NtQueryInformationFile(m_handle.Get(), &status, &info, sizeof(info), FileInternalInformation) < 0)
        return std::nullopt;
    return static_cast<ULONGLONG>(info.IndexNumber.QuadPart);
}

std::wstring CHeldFolder::FinalPath() const
{
    const DWORD size = ::GetFinalPathNameByHandleW(m_handle.Get(), nullptr, 0, FILE_NAME_NORMALIZED);
    if (size == 0)
        return std::wstring();
    std::wstring named(size, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(m_handle.Get(), &named[0], size, FILE_NAME_NORMALIZED);
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

bool CHeldFolder::NextBatch(void* buffer, DWORD size, bool first) const
{
    return ::GetFileInformationByHandleEx(m_handle.Get(), first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo,
                                          buffer, size) != FALSE;
}

void CHeldFolder::DeleteChildFile(const std::wstring& name, bool clearAttributes) const
{
    HANDLE opened = INVALID_HANDLE_VALUE;
    const ACCESS_MASK access = DELETE | (clearAttributes ? FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES : 0);
    if (OpenRelative(m_handle.Get(), name, access, FILE_NON_DIRECTORY_FILE, opened) < 0)
        return; // gone, or held without sharing
    const FileHandle file(opened);
    // Marked for deletion only once it is known to be this folder's own entry.
    if (!IsOwnEntry(file.Get(), name) || SetDisposition(file.Get()) || !clearAttributes ||
        ::GetLastError() != ERROR_ACCESS_DENIED)
        return; // a link Wine opened as its target, gone, or in use
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(file.Get(), FileStandardInfo, &standard, sizeof(standard)) ||
        standard.NumberOfLinks != 1)
        return; // a second name of a file elsewhere keeps its read-only bit
    if (ClearAttributes(file.Get()))
        (void)SetDisposition(file.Get()); // in use: it stays and the sweep goes on
}

bool CHeldFolder::IsOwnEntry(HANDLE file, const std::wstring& name) const
{
    if (!m_volumeName) {
        std::optional<std::wstring> folder = VolumeName(m_handle.Get());
        if (!folder)
            return false;
        while (!folder->empty() && folder->back() == L'\\')
            folder->pop_back(); // the root "\", and a folder opened as "...\", alike
        m_volumeName = std::move(*folder);
    }
    // Exact, case and all: on a case-sensitive folder another case is another file.
    return VolumeName(file) == *m_volumeName + L"\\" + name;
}

void CHeldFolder::DeleteWhenClosed()
{
    if (SetDisposition(m_handle.Get()) || ::GetLastError() != ERROR_ACCESS_DENIED)
        return; // going, or not empty (something in it stayed)
    if (ClearAttributes(m_handle.Get()))
        (void)SetDisposition(m_handle.Get()); // held by another program: it stays
}

} // namespace corvale
