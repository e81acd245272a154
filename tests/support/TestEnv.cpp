#include "support/TestEnv.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace QRX {
namespace TestSupport {

std::string MakeTempDir(const std::string& prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    char* made = ::mkdtemp(pattern.data());
    return made ? std::string(made) : std::string();
}

void RemoveTree(const std::string& path)
{
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string SourceDir()
{
    const char* s = std::getenv("ZENDRA_SOURCE_DIR");
    return s ? std::string(s) : std::filesystem::current_path().string();
}

std::string BinaryDir()
{
    const char* s = std::getenv("ZENDRA_BINARY_DIR");
    return s ? std::string(s) : std::string();
}

ScopedTempHome::ScopedTempHome()
{
    if (const char* h = std::getenv("HOME")) { m_hadHome = true; m_oldHome = h; }
    if (const char* d = std::getenv("XDG_DOCUMENTS_DIR")) { m_hadDocs = true; m_oldDocs = d; }
    m_path = MakeTempDir("zendra-home");
    ::setenv("HOME", m_path.c_str(), 1);
    ::unsetenv("XDG_DOCUMENTS_DIR");
}

ScopedTempHome::~ScopedTempHome()
{
    if (m_hadHome) ::setenv("HOME", m_oldHome.c_str(), 1); else ::unsetenv("HOME");
    if (m_hadDocs) ::setenv("XDG_DOCUMENTS_DIR", m_oldDocs.c_str(), 1);
    RemoveTree(m_path);
}

ScopedMissingLevelFile::ScopedMissingLevelFile(const std::string& missingLevel)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path source = fs::path(SourceDir()) / "data";
    m_oldCwd = fs::current_path(ec).string();
    m_path = MakeTempDir("zendra-levels");
    if (ec || m_path.empty()) return;
    const fs::path data = fs::path(m_path) / "data";
    if (!fs::create_directories(data / "levels", ec)) return;
    for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
        if (entry.path().filename() == "levels") continue;
        fs::create_directory_symlink(entry.path(), data / entry.path().filename(), ec);
        if (ec) return;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(source / "levels", ec)) {
        if (entry.path().filename() == missingLevel) continue;
        fs::create_symlink(entry.path(), data / "levels" / entry.path().filename(), ec);
        if (ec) return;
    }
    m_ok = !ec && ::chdir(m_path.c_str()) == 0;
}

ScopedMissingLevelFile::~ScopedMissingLevelFile()
{
    if (m_ok && ::chdir(m_oldCwd.c_str()) != 0) m_ok = false;  // nowhere better to go
    RemoveTree(m_path);
}

} // namespace TestSupport
} // namespace QRX
