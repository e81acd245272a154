// The player profiles: the built-in "Guest", the players' own, and the
// current one whose progress the game records.
//
// One exists, owned by the System (created at start-up after the factory
// registrations and before the game-state manager, deleted at shut-down).
// Rules:
// - The list always starts with the built-in "Guest", made by Init; it is
//   never written to the file and never deleted.
// - The current profile is never null after Init and always points into the
//   list; users read and change its fields directly and then call
//   SaveProfiles.
// - The file PROFILE_FILE_NAME lives in the documents folder's GAME_FOLDER
//   (both folders made when missing). It holds the root "Profiles", a
//   "lastUsed" entry naming the current profile, then one "Profile" with
//   "Name" and "LevelsCompleted" per profile other than "Guest". Time, grade
//   and winner are kept for the run only.
// - Every create, successful select and delete rewrites the whole file
//   through FileManager::SaveFile, which writes beside the file and renames
//   it over the old one, so a failed save never loses the previous file.
// - A file that exists but cannot be read as a "Profiles" document is not
//   overwritten: the first save moves it to PROFILE_FILE_NAME + BACKUP_SUFFIX.
#pragma once
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {

// One player's profile.
struct Profile
{
    std::string name;
    int levelsCompleted = 0;  // saved as "LevelsCompleted"
    int lastLevelTime = 0;    // time of the last completed level; not saved
    char grade = 'F';         // grade of the last completed level; not saved
    char winner = 0;          // last two-player result, 0 or 1; not saved
};

class ProfileManager
{
public:
    static constexpr const char* GUEST_NAME = "Guest";
    // The name of a saved profile whose "Name" is missing or empty.
    static constexpr const char* DEFAULT_PROFILE_NAME = "DefaultPlayer";
    // Below the documents folder.
    static constexpr const char* GAME_FOLDER = "Orvanta/Zendra";
    static constexpr const char* PROFILE_FILE_NAME = "profiles.xml";
    // Where an unreadable profile file is kept before the first save.
    static constexpr const char* BACKUP_SUFFIX = ".bak";

    // Init: "Guest" plus the saved profiles.
    ProfileManager();
    // Deletes every profile.
    ~ProfileManager();
    ProfileManager(const ProfileManager&) = delete;
    ProfileManager& operator=(const ProfileManager&) = delete;

    // Resets the list to "Guest" (current), then loads the file. A file that
    // cannot be loaded leaves "Guest" alone and current, with an ERROR line;
    // otherwise the first profile named by "lastUsed" becomes current ("Guest"
    // when none is).
    void Init();
    // Appends the file's profiles to the list and records its last-used name.
    // False, with nothing changed, when the file is missing or is no readable
    // "Profiles" document (such a file is then kept aside by the next save).
    bool LoadProfiles();
    // Fills a profile from the element and its following siblings: "Name"
    // and "LevelsCompleted"; elements without text and other names are
    // ignored. Null arguments do nothing.
    void ReadProfile(const tinyxml2::XMLElement* element, Profile* profile);
    // Writes the whole file; the file manager's result (false when it cannot
    // be written, or when an unreadable old file cannot be kept aside).
    bool SaveProfiles();
    // Queues the write commands of one "Profile" element; nothing for "Guest"
    // or null.
    void WriteProfile(const Profile* profile);
    // Appends a new profile and saves; the save's result. False, saving
    // nothing, when the name exists or is empty or blank (with a WARNING).
    // The current profile does not change.
    bool CreateProfile(const std::string& name);
    // Makes the first profile of that name current, saves and answers true.
    // For an unknown name: the name becomes "Guest", "Guest" becomes current,
    // nothing is saved and the answer is false.
    bool SelectProfile(std::string& name);
    // Removes the first profile of that name ("Guest" becomes current when it
    // was current) and saves. An unknown name, or "Guest", changes and saves
    // nothing, with an ERROR line.
    void DeleteProfile(const std::string& name);
    // The names in list order, "Guest" first.
    std::vector<std::string> GetProfileNames() const;

    // Never null after Init.
    Profile* GetCurrentProfile() const { return m_CurrentProfile; }
    const std::vector<std::unique_ptr<Profile>>& GetProfiles() const { return m_Profiles; }
    const std::string& GetLastUsedName() const { return m_LastUsedName; }

    // The full path of the profile file under the documents folder.
    static std::string GetProfilePath();

private:
    // The first profile of that name, or null.
    Profile* FindProfile(const std::string& name) const;
    // Moves an unreadable profile file aside; false when it cannot be moved.
    bool KeepUnreadableFile(const std::string& path);

    Profile* m_CurrentProfile = nullptr;  // not owned; points into m_Profiles
    std::vector<std::unique_ptr<Profile>> m_Profiles;
    std::string m_LastUsedName;
    bool m_UnreadableFile = false;  // the file on disk is to be kept aside before a save
};

} // namespace QRX
