#pragma once
// The program's own links in an HTML page: an address that begins with "app:", in any
// case, is a command for the program and never a page to load. No Windows calls here.

#include <string>

namespace corvale {

// True for an "app:" address; command then holds the rest of it ("APP:close" gives
// "close", "app:" gives ""). Other addresses leave command as it was.
bool SplitAppLink(const std::string& address, std::string& command);

} // namespace corvale
