#pragma once
// Cookie names, the keep rule and the keep-list file format, shared by cookie cleaning
// and the keep-list dialog. No Windows calls here.

#include <optional>
#include <string>
#include <vector>

namespace corvale {

// Whether an entry of the Cookies folder is a cookie at all: the container's
// "index.dat" and names beginning with "." (which covers "." and "..") are not.
bool IsCookieFileName(const std::string& fileName);

// The cookie name of a cookie file: the name cut before its first "[", then the part
// after the first "@" (or all of it without "@"). "A@B.C[2].txt" gives "B.C".
std::string CookieNameOfFile(const std::string& fileName);

// The cookie key of a URL-cache cookie entry: the URL cut before its last "." (a dot in
// the first position does not count), then the part after the first "@" (or all of it).
// "Cookie:A@D.B.C/" gives "D.B".
std::string CookieKeyOfUrl(const std::string& url);

// The keep rule is a byte-wise substring search in the whole keep-list text, blind to
// record boundaries: a kept "abcd" also keeps "bc". A file is kept whenever the text is
// present and holds the name, so an empty text still keeps an empty name; a cache entry
// only when the text is also non-empty.
bool IsCookieFileKept(const std::optional<std::string>& keepText, const std::string& cookieName);
bool IsCookieEntryKept(const std::optional<std::string>& keepText, const std::string& cookieKey);

// The file's bytes: each name followed by one line feed, nothing else.
std::string FormatKeepList(const std::vector<std::string>& names);

// The names of a keep-list text, one per line feed; text after the last line feed is
// not a name.
std::vector<std::string> SplitKeepList(const std::string& text);

} // namespace corvale
