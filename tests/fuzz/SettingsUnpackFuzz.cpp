// Any three stored page values: every flag unpacks to exactly 0 or 1, and packed again
// each page gives back its own bits and nothing above them.
#include "settings/CleaningOptions.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t stored[corvale::kOptionPages.size()] = {};
    std::memcpy(stored, data, size < sizeof(stored) ? size : sizeof(stored));
    corvale::CleaningOptions options;
    options.OptionFlags.fill(-1);
    for (std::size_t i = 0; i < corvale::kOptionPages.size(); ++i)
        corvale::UnpackPage(options, corvale::kOptionPages[i], stored[i]);
    for (int flag : options.OptionFlags) {
        if (flag != 0 && flag != 1)
            std::abort();
    }
    for (std::size_t i = 0; i < corvale::kOptionPages.size(); ++i) {
        const corvale::OptionPage& page = corvale::kOptionPages[i];
        if (corvale::PackPage(options, page) != (stored[i] & ((1u << page.flagCount) - 1)))
            std::abort();
    }
    return 0;
}
