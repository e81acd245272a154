#include "support/ScratchData.h"

#include <unistd.h>

#include <filesystem>

#include "support/TestEnv.h"

namespace QRX {
namespace TestSupport {

namespace {

namespace fs = std::filesystem;

// Links every entry of a folder into another one, but the one named `except`.
bool LinkEntries(const fs::path& from, const fs::path& to, const std::string& except)
{
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, ec)) {
        if (entry.path().filename() == except) continue;
        fs::create_symlink(entry.path(), to / entry.path().filename(), ec);
        if (ec) return false;
    }
    return !ec;
}

} // namespace

ScratchDataFolder::ScratchDataFolder(bool enter)
{
    m_path = MakeTempDir("zendra-scratch");
    if (m_path.empty()) return;
    const fs::path source(SourceDir());
    const fs::path root(m_path);
    std::error_code ec;
    fs::create_directories(root / "data" / "levels", ec);
    if (ec || !LinkEntries(source / "data", root / "data", "levels") ||
        !LinkEntries(source / "data" / "levels", root / "data" / "levels", "menus") ||
        !fs::create_directory(root / "data" / "levels" / "menus", ec) ||
        !LinkEntries(source / "data" / "levels" / "menus", root / "data" / "levels" / "menus", ""))
        return;
    fs::create_directory_symlink(source / "tests", root / "tests", ec);
    if (ec) return;
    if (enter) {
        m_previous = fs::current_path(ec).string();
        if (ec || ::chdir(m_path.c_str()) != 0) return;
    }
    m_ok = true;
}

ScratchDataFolder::~ScratchDataFolder()
{
    if (!m_previous.empty()) {
        const int failed = ::chdir(m_previous.c_str());
        (void)failed;  // the previous folder is gone: nothing better to go to
    }
    RemoveTree(m_path);
}

} // namespace TestSupport
} // namespace QRX
