#include "support/ReferenceSweeps.h"

#include <windows.h>

#include <cstring>

namespace corvale::test {
namespace {

void Walk(const std::string& folder, bool resetAttributes)
{
    WIN32_FIND_DATAA entry{};
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0)
            continue;
        const std::string path = folder + "\\" + entry.cFileName;
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder)
            Walk(path, resetAttributes);
        if (resetAttributes)
            (void)::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        (void)(isFolder ? ::RemoveDirectoryA(path.c_str()) : ::DeleteFileA(path.c_str())); // what stays, stays
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
}

} // namespace

void BareSweep(const std::string& folder)
{
    Walk(folder, false);
}

void AttributeResetSweep(const std::string& folder)
{
    Walk(folder, true);
}

} // namespace corvale::test
