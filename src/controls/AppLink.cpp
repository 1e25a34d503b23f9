#include "controls/AppLink.h"

namespace corvale {
namespace {
constexpr char kPrefix[] = "app:";
constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;

// ASCII folding is enough: no byte of the prefix can be a lead byte of a multibyte
// character, so an address that matches it byte by byte matches it character by character.
char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

bool SplitAppLink(const std::string& address, std::string& command)
{
    if (address.size() < kPrefixLength)
        return false;
    for (std::size_t i = 0; i < kPrefixLength; ++i) {
        if (Lower(address[i]) != kPrefix[i])
            return false;
    }
    command = address.substr(kPrefixLength);
    return true;
}

} // namespace corvale
