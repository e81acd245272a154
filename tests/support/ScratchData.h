// A scratch working folder for tests that write level files.
//
// Its data/ sees every entry of the repository's data folder through links,
// except the level folder and its "menus", real folders of links to the
// repository's level files: a level saved there replaces its link (writing
// beside it and renaming), so the repository is never written. A link
// "tests" reaches the test data as from the repository root. With `enter`
// the working folder changes to it for the object's lifetime.
#pragma once
#include <string>

namespace QRX {
namespace TestSupport {

class ScratchDataFolder
{
public:
    explicit ScratchDataFolder(bool enter = true);
    // Goes back to the previous working folder (when entered) and removes the folder.
    ~ScratchDataFolder();
    ScratchDataFolder(const ScratchDataFolder&) = delete;
    ScratchDataFolder& operator=(const ScratchDataFolder&) = delete;

    // False when the folder could not be made (or entered).
    bool Ok() const { return m_ok; }
    const std::string& Path() const { return m_path; }
    // The path of a file of its level folder.
    std::string LevelFile(const std::string& name) const { return m_path + "/data/levels/" + name; }

private:
    std::string m_path;
    std::string m_previous;
    bool m_ok = false;
};

} // namespace TestSupport
} // namespace QRX
