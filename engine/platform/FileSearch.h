// Searching a folder for entries by a wildcard pattern, the way the game's
// Windows file search lists them.
//
// A pattern holds '*' (any run of characters) and '?' (one character) and is
// matched ignoring case; "*.*" matches every name, with or without a dot.
// The names come back sorted ignoring case (ties by bytes), so every machine
// lists the same order whatever its file system returns. "." and ".." are
// never listed. The folder goes through ResolvePath like every path that
// meets the file system.
#pragma once
#include <string>
#include <vector>

namespace QRX {
namespace Platform {

// How a search ended.
enum class SearchResult {
    Found,         // at least one name matched
    NoMatch,       // the folder was listed and nothing matched
    NoFolder,      // the folder (or a folder on its path) does not exist
    Unlistable     // the folder exists but cannot be listed
};

// Fills `names` with the entry names (files and folders) of the folder that
// match the pattern and says how the search ended; `names` is empty unless
// something was found.
SearchResult SearchFolder(const std::string& folder, const std::string& pattern, std::vector<std::string>& names);

// SearchFolder's names; false when nothing was found, whatever the reason.
bool FindFiles(const std::string& folder, const std::string& pattern, std::vector<std::string>& names);

// Whether a name matches a pattern as FindFiles matches it.
bool MatchesPattern(const std::string& name, const std::string& pattern);

} // namespace Platform
} // namespace QRX
