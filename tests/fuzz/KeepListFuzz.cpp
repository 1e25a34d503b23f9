// Any bytes as a keep-list file: the names it splits into are whole lines, and written
// back they give the text up to its last line feed; every name read keeps itself.
#include "engine/CookieRules.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> names = corvale::SplitKeepList(text);
    const std::size_t lastFeed = text.rfind('\n');
    const std::string whole = lastFeed == std::string::npos ? std::string() : text.substr(0, lastFeed + 1);
    if (corvale::FormatKeepList(names) != whole)
        std::abort();
    for (const std::string& name : names) {
        if (name.find('\n') != std::string::npos || !corvale::IsCookieFileKept(text, name))
            std::abort();
    }
    return 0;
}
