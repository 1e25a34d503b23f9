#pragma once
// CHeldFolder: one folder held open while a sweep works in it. Its entries are listed,
// opened and deleted through its handle, relative to it, so a name is looked up once, in
// the folder that was checked, and a link on the way is never followed: a folder swapped
// for a link after it was listed is seen for what it has become.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/Handle.h"

namespace corvale {

class CHeldFolder {
public:
    // One entry of a listing: its long name, its attributes and the file index the
    // listing gave (0 where the file system gives none).
    struct Entry {
        std::wstring name;
        DWORD attributes = 0;
        ULONGLONG index = 0;
    };

    CHeldFolder() = default;

    // Opens an absolute folder path of any length. Links in the path are followed: a
    // folder moved elsewhere with a link is cleaned where it really is. A folder opened
    // only to be asked who it is gets no access right, which opens it whoever else has
    // it open and whatever the user may do in it.
    static CHeldFolder OpenPath(const std::wstring& path, bool forListing = true);

    // Opens the folder entry of this folder, never following it: on Windows a link is
    // opened as itself (its attributes carry FILE_ATTRIBUTE_REPARSE_POINT); Wine opens
    // what a link names, which the caller tells by its file index.
    CHeldFolder OpenChild(const std::wstring& name) const;

    explicit operator bool() const { return m_handle.IsValid(); }
    HANDLE Get() const { return m_handle.Get(); }

    // What the handle holds, asked of the handle itself; nothing when it cannot be asked.
    std::optional<DWORD> Attributes() const;
    std::optional<ULONGLONG> Index() const;
    // The drive-letter or share path of the folder, of any length; empty when the system
    // cannot name it so.
    std::wstring FinalPath() const;

    // Calls visit(const Entry&) for each entry but "." and ".."; false from visit stops
    // the listing. Entries may be deleted while it runs.
    template <typename Visit> void ForEachEntry(Visit visit) const;

    // Deletes a file entry of this folder as itself (a link, not what it names). With
    // clearAttributes a read-only file goes too, unless it has other names (a hard link
    // shares its attributes with them); otherwise it stays.
    void DeleteChildFile(const std::wstring& name, bool clearAttributes) const;

    // Deletes this folder, which must be empty by then, when the handle closes. Clears
    // its attributes where they refuse the delete.
    void DeleteWhenClosed();

private:
    explicit CHeldFolder(HANDLE handle) : m_handle(handle) {}

    // Fills the buffer with the next entries; false at the end or on an error.
    bool NextBatch(void* buffer, DWORD size, bool first) const;
    // Whether a file opened by the name of one of this folder's entries is that entry,
    // not a file elsewhere: Wine lists a link to a file as a plain file and opens, and
    // deletes, the file it names.
    bool IsOwnEntry(HANDLE file, const std::wstring& name) const;

    FileHandle m_handle;
    // The folder's name on its volume, asked once, at the first file deleted in it.
    mutable std::optional<std::wstring> m_volumeName;
};

template <typename Visit> void CHeldFolder::ForEachEntry(Visit visit) const
{
    // 8-byte aligned, as the records need; one batch holds a few hundred entries. On the
    // heap: a sweep holds one per level it is deep.
    constexpr DWORD kBatchSize = 16 * 1024;
    const std::unique_ptr<ULONGLONG[]> buffer(new ULONGLONG[kBatchSize / sizeof(ULONGLONG)]);
    for (bool first = true; NextBatch(buffer.get(), kBatchSize, first); first = false) {
        const BYTE* record = reinterpret_cast<const BYTE*>(buffer.get());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(record);
            Entry entry{std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR)), info->FileAttributes,
                        static_cast<ULONGLONG>(info->FileId.QuadPart)};
            if (entry.name != L"." && entry.name != L".." && !visit(entry))
                return;
            if (info->NextEntryOffset == 0)
                break;
            record += info->NextEntryOffset;
        }
    }
}

} // namespace corvale
