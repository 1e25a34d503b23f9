#pragma once
// CHeldFolder: one folder held open while a sweep works in it. Its entries are listed,
// opened and deleted through its handle, relative to it, so a name is looked up once, in
// the folder that was checked, and a link on the way is never followed: a folder swapped
// for a link after it was listed is seen for what it has become. It gathers facts and
// carries out; what may be done with them is the touch policy's.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "engine/TouchPolicy.h"
#include "platform/Handle.h"

namespace corvale {

// The full name of what a handle holds, volume or drive included, of any length; empty
// when the system cannot say.
std::wstring NameOfHandle(HANDLE handle);
// The drive-letter or share path of what a handle holds, of any length; empty when the
// system cannot name it so.
std::wstring FinalPathOfHandle(HANDLE handle);
// The attributes, reparse tag and file index of an open file or folder, and with
// withName its full name and whether it is on a share.
std::optional<HandleFacts> FactsOfHandle(HANDLE handle, bool withName);
// The attributes and the number of names of an open file or folder.
std::optional<HandleFacts> AttributesOfHandle(HANDLE handle);
// The file index, and the volume's serial number (slow under Wine), which a handle
// opened without any access right can give.
std::optional<std::uint64_t> IndexOfHandle(HANDLE handle);
std::optional<std::uint32_t> VolumeOfHandle(HANDLE handle);
// Marks what the handle holds for deletion when it closes; false with the error set.
bool MarkForDeletion(HANDLE handle);
// Sets the changeable attribute bits; FILE_ATTRIBUTE_NORMAL where none is left.
bool SetAttributeBits(HANDLE handle, DWORD attributes);

class CHeldFolder {
public:
    CHeldFolder() = default;

    // Opens an absolute folder path of any length. Links in the path are followed: a
    // folder moved elsewhere with a link is cleaned where it really is. A folder opened
    // only to be asked who it is gets no access right, which opens it whoever else has
    // it open and whatever the user may do in it.
    static CHeldFolder OpenPath(const std::wstring& path, bool forListing = true);

    // Opens an entry of this folder with the rights asked, never following it: on
    // Windows a link is opened as itself (its attributes carry the reparse bit); Wine
    // opens what a link names, which the facts then tell. The status says how it ended.
    CHeldFolder OpenChildFolder(const std::wstring& name, EntryRights rights, OpenStatus& status) const;
    FileHandle OpenChildFile(const std::wstring& name, EntryRights rights, OpenStatus& status) const;

    explicit operator bool() const { return m_handle.IsValid(); }
    HANDLE Get() const { return m_handle.Get(); }

    // What the handle holds, asked of the handle itself, name included; nothing when it
    // cannot be asked.
    std::optional<HandleFacts> Facts() const { return FactsOfHandle(m_handle.Get(), true); }
    std::wstring FinalPath() const { return FinalPathOfHandle(m_handle.Get()); }

    // The entries of one listing batch; a sweep reuses one buffer for all its folders.
    class Listing {
    public:
        Listing();
        // Fills the buffer with the folder's next entries; false at the end or on an
        // error. Entries may be deleted meanwhile.
        bool Next(const CHeldFolder& folder, bool first);
        // Calls visit(const ListedEntry&) for each entry of the batch but "." and "..";
        // false from visit stops.
        template <typename Visit> bool ForEach(Visit visit) const;

    private:
        static constexpr DWORD kBatchSize = 16 * 1024; // a few hundred entries
        std::unique_ptr<ULONGLONG[]> m_buffer;         // 8-byte aligned, as the records need
    };

    // Every entry but "." and ".." of the whole folder; false from visit stops.
    template <typename Visit> void ForEachEntry(Visit visit) const;

private:
    explicit CHeldFolder(HANDLE handle) : m_handle(handle) {}

    FileHandle m_handle;
};

template <typename Visit> bool CHeldFolder::Listing::ForEach(Visit visit) const
{
    const BYTE* record = reinterpret_cast<const BYTE*>(m_buffer.get());
    for (;;) {
        const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(record);
        ListedEntry entry{std::wstring(info->FileName, info->FileNameLength / sizeof(WCHAR)), info->FileAttributes,
                          static_cast<std::uint64_t>(info->FileId.QuadPart)};
        if (entry.name != L"." && entry.name != L".." && !visit(entry))
            return false;
        if (info->NextEntryOffset == 0)
            return true;
        record += info->NextEntryOffset;
    }
}

template <typename Visit> void CHeldFolder::ForEachEntry(Visit visit) const
{
    Listing listing;
    for (bool first = true; listing.Next(*this, first); first = false) {
        if (!listing.ForEach(visit))
            return;
    }
}

} // namespace corvale
