// Writing a level file over an existing one without ever losing it.
//
// The level editor and the console's "save" name level files relative to the
// level folder. A name is checked first (CheckLevelFileName); the new text is
// then written beside the target, and only once it is whole on disk is the
// old file copied to the backup (the name with ".bak" in place of its last
// four characters) and the new one renamed in. Every failure puts back what
// it changed: the target and the backup stay as they were and no temporary
// file is left.
#pragma once
#include <string>

namespace QRX {
namespace LevelFiles {

// The suffix a level file name must end with (any case).
constexpr const char* LEVEL_SUFFIX = ".xml";
constexpr const char* BACKUP_SUFFIX = ".bak";
// Characters below this code, and DELETE, are control characters.
constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char DELETE_CHARACTER = 0x7f;
// Temporary names beside a file: the new text, the backup's new copy, and
// the backup kept until the new file is in.
constexpr const char* NEW_TEXT_SUFFIX = ".saving";
constexpr const char* KEPT_BACKUP_SUFFIX = ".kept";

// The name without its trailing blanks (the file system drops them too).
std::string DropTrailingBlanks(const std::string& name);
// Whether a name (trailing blanks already dropped) may be written: not empty,
// no control character (a NUL would cut the name short in every system call,
// so the write, the backup and the clean-up would all meet the wrong file),
// not absolute (a leading slash or backslash, or a drive letter), no part
// made of dots only but ".", ending in ".xml" with a name before it. False
// with the one reason that refuses it otherwise.
bool CheckLevelFileName(const std::string& name, std::string& reason);
// The name with its last four characters replaced by ".bak" (".bak" alone
// for a shorter name).
std::string BackupName(const std::string& name);

// Writes the text to the target (paths as the program names them), keeping
// the target's previous content, when it had one, as the backup. A path
// holding a NUL, a folder in the target's place, or a folder that is not
// empty in the backup's place refuses the save; an empty folder in the
// backup's place is removed. False with the reason when the target was not
// replaced (then nothing changed).
bool ReplaceKeepingBackup(const std::string& target, const std::string& backup, const std::string& text,
                          std::string& reason);

} // namespace LevelFiles
} // namespace QRX
