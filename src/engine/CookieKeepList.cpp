#include "engine/CookieKeepList.h"

#include <windows.h>

#include "engine/CookieRules.h"
#include "engine/PathRules.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

constexpr char kKeepListName[] = "coockies.sav";
constexpr char kPendingSuffix[] = ".new";

std::string SystemFolder()
{
    char folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

bool WriteWhole(HANDLE file, const std::string& bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD chunk = 0;
        if (!::WriteFile(file, bytes.data() + written, static_cast<DWORD>(bytes.size() - written), &chunk, nullptr) ||
            chunk == 0)
            return false;
        written += chunk;
    }
    return true;
}

// The text up to its first zero byte; nothing, with unread set unless there is no file,
// when it cannot be read. Read while another program may be writing it: the keep-list
// dialog replaces the file whole.
std::optional<std::string> ReadWhole(const std::string& path, bool& unread)
{
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = ::GetLastError();
    unread = true;
    if (!file) {
        unread = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return std::nullopt;
    }
    const DWORD length = ::GetFileSize(file.Get(), nullptr);
    if (length == INVALID_FILE_SIZE)
        return std::nullopt;
    std::string text(length, '\0');
    DWORD read = 0;
    if (length > 0 && !::ReadFile(file.Get(), &text[0], length, &read, nullptr))
        return std::nullopt;
    unread = false;
    text.resize(read);
    const size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

} // namespace

CookieKeepList::CookieKeepList() : m_path(JoinPath(SystemFolder(), kKeepListName)) {}

CookieKeepList::CookieKeepList(std::string path) : m_path(std::move(path)) {}

std::optional<std::string> CookieKeepList::LoadText(bool* unreadable) const
{
    bool unread = false;
    std::optional<std::string> text = ReadWhole(m_path, unread);
    if (unreadable)
        *unreadable = unread;
    return text;
}

bool CookieKeepList::Save(const std::vector<std::string>& names) const
{
    const std::string pending = m_path + kPendingSuffix;
    FileHandle file(
        ::CreateFileA(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    const bool complete = WriteWhole(file.Get(), FormatKeepList(names)) && ::FlushFileBuffers(file.Get());
    file.Reset(); // closed before it can replace the list
    if (!complete) {
        (void)::DeleteFileA(pending.c_str()); // the old list stays in force
        return false;
    }
    if (!::MoveFileExA(pending.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        (void)::DeleteFileA(pending.c_str()); // the old list stays in force
        return false;
    }
    return true;
}

} // namespace corvale
