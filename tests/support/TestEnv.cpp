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

} // namespace TestSupport
} // namespace QRX
