#include "engine/platform/FilePath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace QRX {
namespace Platform {

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> Split(const std::string& path)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '/') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

std::string TrimComponent(const std::string& part)
{
    if (part == "." || part == "..") return part;
    size_t end = part.size();
    while (end > 0 && (part[end - 1] == ' ' || part[end - 1] == '.')) --end;
    return part.substr(0, end);
}

// The entry of a folder whose name equals the wanted one ignoring case.
std::string FindCaseInsensitive(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::string();
    std::string found;
    while (dirent* e = ::readdir(dir)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::string NormalizePath(const std::string& path)
{
    std::string s = path;
    for (char& c : s)
        if (c == '\\') c = '/';
    std::vector<std::string> parts = Split(s);
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '/';
        out += TrimComponent(parts[i]);
    }
    return out;
}

std::string ResolvePath(const std::string& path)
{
    std::string normal = NormalizePath(path);
    if (normal.empty() || Exists(normal)) return normal;

    std::vector<std::string> parts = Split(normal);
    std::string built;
    bool absolute = !normal.empty() && normal[0] == '/';
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        std::string next;
        if (i == 0) {
            next = part;
        } else {
            next = built + "/" + part;
        }
        if (part.empty() || part == "." || part == ".." || Exists(next)) {
            built = next;
            continue;
        }
        std::string folder = (i == 0) ? std::string() : (built.empty() && absolute ? "/" : built);
        std::string match = FindCaseInsensitive(folder, part);
        if (match.empty()) {
            // Nothing matches from here on: keep the rest as given.
            for (size_t j = i; j < parts.size(); ++j) {
                if (j > 0) built += "/";
                built += parts[j];
            }
            return built;
        }
        built = (i == 0) ? match : built + "/" + match;
    }
    return built;
}

bool PathExists(const std::string& path)
{
    return Exists(ResolvePath(path));
}

} // namespace Platform
} // namespace QRX
