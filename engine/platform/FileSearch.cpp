#include "engine/platform/FileSearch.h"

#include <dirent.h>
#include <errno.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/platform/FilePath.h"

namespace QRX {
namespace Platform {

namespace {

bool SameLetter(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Iterative wildcard match with back-tracking to the last '*'.
bool Match(const char* name, const char* pattern)
{
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && SameLetter(*pattern, *name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

} // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    if (pattern == "*.*") return true;
    return Match(name.c_str(), pattern.c_str());
}

SearchResult SearchFolder(const std::string& folder, const std::string& pattern, std::vector<std::string>& names)
{
    names.clear();
    std::string resolved = ResolvePath(folder);
    DIR* dir = ::opendir(resolved.empty() ? "." : resolved.c_str());
    if (!dir) return errno == ENOENT || errno == ENOTDIR ? SearchResult::NoFolder : SearchResult::Unlistable;
    while (dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        if (MatchesPattern(e->d_name, pattern)) names.push_back(e->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int c = ::strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    return names.empty() ? SearchResult::NoMatch : SearchResult::Found;
}

bool FindFiles(const std::string& folder, const std::string& pattern, std::vector<std::string>& names)
{
    return SearchFolder(folder, pattern, names) == SearchResult::Found;
}

} // namespace Platform
} // namespace QRX
