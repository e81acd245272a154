// The one place where the program's path strings meet the file system.
//
// Data files name paths the Windows way: backslashes, case that may not match
// the file on disk, and names that Windows silently trims (trailing blanks and
// dots, as in "Twister.xml "). ResolvePath turns such a string into the path
// to open here. Keep the original strings everywhere else (maps keyed by path,
// name comparisons); resolve only at the call that opens, lists or renames.
#pragma once
#include <string>

namespace QRX {
namespace Platform {

// Backslashes become slashes; each component loses its trailing blanks and dots
// ("." and ".." stay); when the exact path does not exist, each missing
// component is matched case-insensitively in its folder. A path with no match
// comes back normalised but otherwise as given (so it can be created).
std::string ResolvePath(const std::string& path);

// Only the textual part of ResolvePath: separators and trimmed components.
std::string NormalizePath(const std::string& path);

// True when the resolved path names an existing file or folder.
bool PathExists(const std::string& path);

} // namespace Platform
} // namespace QRX
