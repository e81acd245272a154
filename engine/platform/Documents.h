// The user's documents folder and folder creation.
//
// The documents folder is $XDG_DOCUMENTS_DIR, else the XDG_DOCUMENTS_DIR entry
// of ~/.config/user-dirs.dirs (or $XDG_CONFIG_HOME/user-dirs.dirs), else
// $HOME/Documents. It is created when missing. The game's own files live in
// "Orvanta/Zendra/" below it; the callers create that folder when they need it.
#pragma once
#include <string>

namespace QRX {
namespace Platform {

// Absolute path of the documents folder without a trailing slash; created
// when missing. Falls back to "." when no home is known.
std::string GetDocumentsFolder();

// Creates one folder (not its parents). True when it exists afterwards.
bool MakeDirectory(const std::string& path);

// True when the path names an existing folder.
bool DirectoryExists(const std::string& path);

} // namespace Platform
} // namespace QRX
