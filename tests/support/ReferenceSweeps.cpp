#include "support/ReferenceSweeps.h"

#include <windows.h>

#include <cwchar>

#include "platform/AnsiText.h"

namespace corvale::test {
namespace {

void Walk(const std::wstring& folder, bool resetAttributes)
{
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (std::wcscmp(entry.cFileName, L".") == 0 || std::wcscmp(entry.cFileName, L"..") == 0)
            continue;
        const std::wstring path = folder + L"\\" + entry.cFileName;
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder)
            Walk(path, resetAttributes);
        if (resetAttributes)
            (void)::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        (void)(isFolder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str())); // what stays, stays
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

} // namespace

void BareSweep(const std::string& folder)
{
    Walk(WideFromAnsi(folder), false);
}

void AttributeResetSweep(const std::string& folder)
{
    Walk(WideFromAnsi(folder), true);
}

} // namespace corvale::test
