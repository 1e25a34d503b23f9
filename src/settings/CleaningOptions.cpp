#include "settings/CleaningOptions.h"

namespace corvale {

std::uint32_t PackPage(const CleaningOptions& options, const OptionPage& page)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < page.flagCount; ++i) {
        if (options.OptionFlags[page.firstFlag + i] != 0)
            bits |= 1u << i;
    }
    return bits;
}

void UnpackPage(CleaningOptions& options, const OptionPage& page, std::uint32_t bits)
{
    for (int i = 0; i < page.flagCount; ++i)
        options.OptionFlags[page.firstFlag + i] = (bits >> i) & 1u ? 1 : 0;
}

bool HasCleaningOptionSelected(const CleaningOptions& options)
{
    for (int i = 0; i < kCleaningOptionCount; ++i) {
        if (options.OptionFlags[i] != 0)
            return true;
    }
    return false;
}

} // namespace corvale
