#include "engine/CookieRules.h"

namespace corvale {
namespace {

std::string AfterFirstAt(const std::string& text)
{
    const size_t at = text.find('@');
    return at == std::string::npos ? text : text.substr(at + 1);
}

} // namespace

bool IsCookieFileName(const std::string& fileName)
{
    return fileName != "index.dat" && (fileName.empty() || fileName[0] != '.');
}

std::string CookieNameOfFile(const std::string& fileName)
{
    return AfterFirstAt(fileName.substr(0, fileName.find('[')));
}

std::string CookieKeyOfUrl(const std::string& url)
{
    const size_t dot = url.rfind('.');
    const bool cut = dot != std::string::npos && dot != 0;
    return AfterFirstAt(cut ? url.substr(0, dot) : url);
}

bool IsCookieFileKept(const std::optional<std::string>& keepText, const std::string& cookieName)
{
    return keepText && keepText->find(cookieName) != std::string::npos;
}

bool IsCookieEntryKept(const std::optional<std::string>& keepText, const std::string& cookieKey)
{
    return keepText && !keepText->empty() && keepText->find(cookieKey) != std::string::npos;
}

std::string FormatKeepList(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) {
        text += name;
        text += '\n';
    }
    return text;
}

std::vector<std::string> SplitKeepList(const std::string& text)
{
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t lineFeed = text.find('\n'); lineFeed != std::string::npos; lineFeed = text.find('\n', start)) {
        names.push_back(text.substr(start, lineFeed - start));
        start = lineFeed + 1;
    }
    return names;
}

} // namespace corvale
