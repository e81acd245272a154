#include "engine/platform/Documents.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace QRX {
namespace Platform {

namespace {
std::string Home()
{
    const char* h = std::getenv("HOME");
    return (h && *h) ? std::string(h) : std::string();
}

// Reads XDG_DOCUMENTS_DIR="$HOME/Docs" from a user-dirs.dirs file.
std::string FromUserDirsFile(const std::string& home)
{
    const char* cfg = std::getenv("XDG_CONFIG_HOME");
    std::string file = (cfg && *cfg) ? std::string(cfg) + "/user-dirs.dirs"
                                     : home + "/.config/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        if (!value.empty() && value[0] == '/') return value;
    }
    return std::string();
}

// Creates every missing folder along an absolute path.
void MakeDirectories(const std::string& path)
{
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') MakeDirectory(path.substr(0, pos));
    }
}
} // namespace

bool DirectoryExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path)
{
    if (path.empty()) return false;
    if (::mkdir(path.c_str(), 0755) == 0) return true;
    return errno == EEXIST && DirectoryExists(path);
}

std::string GetDocumentsFolder()
{
    std::string dir;
    const char* env = std::getenv("XDG_DOCUMENTS_DIR");
    std::string home = Home();
    if (env && *env) dir = env;
    if (dir.empty() && !home.empty()) dir = FromUserDirsFile(home);
    if (dir.empty() && !home.empty()) dir = home + "/Documents";
    if (dir.empty()) return ".";
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    MakeDirectories(dir);
    return dir;
}

} // namespace Platform
} // namespace QRX
