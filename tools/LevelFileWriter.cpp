#include "tools/LevelFileWriter.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "engine/platform/FilePath.h"

namespace QRX {
namespace LevelFiles {

namespace {

namespace fs = std::filesystem;

std::string ErrorText(int error) { return std::strerror(error); }

// Writes the whole text to a new file; false with the reason.
bool WriteWhole(const std::string& path, const std::string& text, std::string& reason)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        reason = "cannot write " + path + ": " + ErrorText(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int error = ok ? 0 : errno;
    if (std::fflush(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) reason = "cannot write " + path + ": " + ErrorText(error);
    return ok;
}

void RemoveQuietly(const std::string& path)
{
    std::error_code ec;
    fs::remove(path, ec);
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool OnlyDots(const std::string& part)
{
    return !part.empty() && part.find_first_not_of(". ") == std::string::npos;
}

} // namespace

std::string DropTrailingBlanks(const std::string& name)
{
    const size_t end = name.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

bool CheckLevelFileName(const std::string& name, std::string& reason)
{
    if (name.empty()) {
        reason = "no file name was given";
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < FIRST_PRINTABLE || c == DELETE_CHARACTER) {
            reason = "the name holds a control character (code " + std::to_string(c) + ") at position " +
                     std::to_string(i + 1);
            return false;
        }
    }
    if (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':')) {
        reason = "\"" + name + "\" is not a name inside the level folder";
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = name.find_first_of("/\\", start);
        const std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part != "." && OnlyDots(part)) {
            reason = "\"" + name + "\" leaves the level folder";
            return false;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const size_t suffix = std::strlen(LEVEL_SUFFIX);
    if (name.size() < suffix || !EqualIgnoringCase(name.substr(name.size() - suffix), LEVEL_SUFFIX)) {
        reason = "\"" + name + "\" does not end in " + LEVEL_SUFFIX;
        return false;
    }
    const size_t fileStart = name.find_last_of("/\\") + 1;  // 0 without a folder
    if (name.size() - fileStart == suffix) {
        reason = "\"" + name + "\" has no name before " + LEVEL_SUFFIX;
        return false;
    }
    return true;
}

std::string BackupName(const std::string& name)
{
    return (name.size() > 4 ? name.substr(0, name.size() - 4) : std::string()) + BACKUP_SUFFIX;
}

bool ReplaceKeepingBackup(const std::string& target, const std::string& backup, const std::string& text,
                          std::string& reason)
{
    // Every system call would stop at a NUL and name another file.
    if (target.find('\0') != std::string::npos || backup.find('\0') != std::string::npos) {
        reason = "a path holds a NUL character";
        return false;
    }
    const std::string to = Platform::ResolvePath(target);
    const std::string kept = Platform::ResolvePath(backup);
    std::error_code ec;
    if (fs::is_directory(to, ec)) {
        reason = target + " is a folder";
        return false;
    }
    const bool hadTarget = fs::exists(to, ec);

    const std::string fresh = to + NEW_TEXT_SUFFIX;
    if (!WriteWhole(fresh, text, reason)) {
        RemoveQuietly(fresh);
        return false;
    }
    if (!hadTarget) {
        if (std::rename(fresh.c_str(), to.c_str()) != 0) {
            reason = "cannot rename " + fresh + " to " + to + ": " + ErrorText(errno);
            RemoveQuietly(fresh);
            return false;
        }
        return true;
    }

    // The backup's place must take a file.
    if (fs::is_directory(kept, ec)) {
        if (!fs::is_empty(kept, ec) || ec) {
            reason = "the folder " + backup + " is in the place of the backup";
            RemoveQuietly(fresh);
            return false;
        }
        if (!fs::remove(kept, ec)) {
            reason = "cannot remove the empty folder " + backup + ": " + ec.message();
            RemoveQuietly(fresh);
            return false;
        }
    }
    const std::string copy = kept + NEW_TEXT_SUFFIX;
    if (!fs::copy_file(to, copy, fs::copy_options::overwrite_existing, ec)) {
        reason = "cannot copy " + target + " to " + copy + ": " + ec.message();
        RemoveQuietly(copy);
        RemoveQuietly(fresh);
        return false;
    }
    // The old backup stays until the new file is in.
    const std::string previous = kept + KEPT_BACKUP_SUFFIX;
    const bool hadBackup = fs::exists(kept, ec);
    if (hadBackup && std::rename(kept.c_str(), previous.c_str()) != 0) {
        reason = "cannot move " + backup + " aside: " + ErrorText(errno);
        RemoveQuietly(copy);
        RemoveQuietly(fresh);
        return false;
    }
    auto restoreBackup = [&]() {
        if (hadBackup) std::rename(previous.c_str(), kept.c_str());
        else RemoveQuietly(kept);
    };
    if (std::rename(copy.c_str(), kept.c_str()) != 0) {
        reason = "cannot write the backup " + backup + ": " + ErrorText(errno);
        restoreBackup();
        RemoveQuietly(copy);
        RemoveQuietly(fresh);
        return false;
    }
    if (std::rename(fresh.c_str(), to.c_str()) != 0) {
        reason = "cannot rename " + fresh + " to " + to + ": " + ErrorText(errno);
        restoreBackup();
        RemoveQuietly(fresh);
        return false;
    }
    if (hadBackup) RemoveQuietly(previous);
    return true;
}

} // namespace LevelFiles
} // namespace QRX
