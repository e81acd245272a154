// Test helpers: a private documents folder, paths of the build and source
// trees, and a fresh System for tests that need the singleton.
#pragma once
#include <string>

namespace QRX {
namespace TestSupport {

// A temporary folder used as HOME (and XDG_DOCUMENTS_DIR unset) for the
// lifetime of the object; the previous values come back afterwards.
class ScopedTempHome
{
public:
    ScopedTempHome();
    ~ScopedTempHome();
    const std::string& Path() const { return m_path; }
    // HOME/Documents/Orvanta/Zendra
    std::string GameFolder() const { return m_path + "/Documents/Orvanta/Zendra"; }

private:
    std::string m_path;
    std::string m_oldHome;
    std::string m_oldDocs;
    bool m_hadHome = false;
    bool m_hadDocs = false;
};

// For its lifetime the working folder is a fresh one whose "data" holds links
// to the repository's data entries, except the level folder: a folder of
// links to each level file but `missingLevel` (a name under it), so that one
// level file cannot be opened. The previous working folder comes back after.
class ScopedMissingLevelFile
{
public:
    explicit ScopedMissingLevelFile(const std::string& missingLevel);
    ~ScopedMissingLevelFile();
    ScopedMissingLevelFile(const ScopedMissingLevelFile&) = delete;
    ScopedMissingLevelFile& operator=(const ScopedMissingLevelFile&) = delete;
    // Whether the folder was made and entered.
    bool Ok() const { return m_ok; }

private:
    std::string m_path;
    std::string m_oldCwd;
    bool m_ok = false;
};

// Makes a fresh temporary folder; the caller removes it (RemoveTree).
std::string MakeTempDir(const std::string& prefix = "zendra-test");
// Removes a folder and everything in it.
void RemoveTree(const std::string& path);
// Reads a whole file; empty when missing.
std::string ReadFile(const std::string& path);
// Writes a whole file; true on success.
bool WriteFile(const std::string& path, const std::string& text);
// The repository root (ZENDRA_SOURCE_DIR, else the working directory).
std::string SourceDir();
// The build folder (ZENDRA_BINARY_DIR).
std::string BinaryDir();

} // namespace TestSupport
} // namespace QRX
