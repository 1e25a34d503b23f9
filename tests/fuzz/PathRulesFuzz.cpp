// Any text as a folder path: an absolute folder path has a comparison key that is itself
// an absolute path with the same key, a folder lies inside itself, and no volume root
// may be emptied.
#include "engine/PathRules.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::string key = corvale::FolderComparisonKey(path);
    if (!corvale::IsAbsoluteFolderPath(path))
        return 0;
    if (key.empty() || !corvale::IsAbsoluteFolderPath(key) || corvale::FolderComparisonKey(key) != key)
        std::abort();
    if (!corvale::IsSameOrInside(key, key))
        std::abort();
    if (corvale::IsVolumeRoot(key) && corvale::MayEmptyFolder(key, {}))
        std::abort();
    return 0;
}
