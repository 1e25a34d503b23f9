#pragma once
// Between the program's ANSI texts and the UTF-16 names of the file system.

#include <string>

namespace corvale {

// The text as the ANSI calls show it: a character the code page lacks is bent to its
// best fit ("Ł" to "L", a fullwidth "．" to "."), or "?" where it has none.
std::string AnsiBestFit(const std::wstring& text);

// ANSI text (our own texts and literals) in UTF-16.
std::wstring WideFromAnsi(const std::string& text);

} // namespace corvale
