#include "game/flow/ProfileManager.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <tinyxml2.h>

#include "engine/core/Conversions.h"
#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/Documents.h"
#include "engine/platform/FilePath.h"

namespace QRX {

namespace {

FileManager* Files()
{
    System* system = System::PeekInstance();
    return system ? system->fileManager : nullptr;
}

bool IsNamed(const tinyxml2::XMLElement* element, const char* name)
{
    return element && element->Name() && std::strcmp(element->Name(), name) == 0;
}

// A plain file stands at the path (a folder there is no profile file).
bool FileExists(const std::string& path)
{
    return Platform::PathExists(path) && !Platform::DirectoryExists(Platform::ResolvePath(path));
}

} // namespace

ProfileManager::ProfileManager() { Init(); }

ProfileManager::~ProfileManager()
{
    m_CurrentProfile = nullptr;
    m_Profiles.clear();
    m_LastUsedName.clear();
}

std::string ProfileManager::GetProfilePath()
{
    return Platform::GetDocumentsFolder() + "/" + GAME_FOLDER + "/" + PROFILE_FILE_NAME;
}

void ProfileManager::Init()
{
    m_CurrentProfile = nullptr;
    m_Profiles.clear();
    m_LastUsedName.clear();
    m_UnreadableFile = false;

    auto guest = std::make_unique<Profile>();
    guest->name = GUEST_NAME;
    m_CurrentProfile = guest.get();
    m_Profiles.push_back(std::move(guest));

    if (!LoadProfiles()) {
        QRX_LOG_ERROR("Issue reading from profiles.xml! Defaulting to Guest profile.");
        return;
    }
    if (Profile* last = FindProfile(m_LastUsedName)) m_CurrentProfile = last;
}

bool ProfileManager::LoadProfiles()
{
    FileManager* files = Files();
    if (!files) {
        QRX_LOG_ERROR("Unable to read the profiles: no file manager.");
        return false;
    }
    const std::string path = GetProfilePath();
    const bool exists = FileExists(path);
    // Opened even when missing: the file manager reports why it failed.
    if (!files->OpenFile(path)) {
        m_UnreadableFile = exists;
        files->CloseFile(path);
        return false;
    }
    auto it = files->documentContainer.find(path);
    const tinyxml2::XMLElement* root =
        it != files->documentContainer.end() ? it->second->RootElement() : nullptr;
    if (!IsNamed(root, "Profiles")) {
        QRX_LOG_ERROR("Unable to read %s: it is not a profile file (root \"Profiles\").", path.c_str());
        m_UnreadableFile = exists;
        files->CloseFile(path);
        return false;
    }

    const tinyxml2::XMLElement* entry = files->profilesElement;
    // A file written without "lastUsed" starts with its first profile: that
    // one is a profile too, not a name.
    if (entry && !IsNamed(entry, "Profile")) {
        if (const char* text = ElementText(entry)) m_LastUsedName = text;
        entry = entry->NextSiblingElement();
    }
    for (; entry; entry = entry->NextSiblingElement()) {
        if (!IsNamed(entry, "Profile")) continue;
        auto profile = std::make_unique<Profile>();
        profile->name = DEFAULT_PROFILE_NAME;
        ReadProfile(entry->FirstChildElement(), profile.get());
        m_Profiles.push_back(std::move(profile));
    }
    // The profiles are copied out; the document is not needed any more.
    files->CloseFile(path);
    return true;
}

void ProfileManager::ReadProfile(const tinyxml2::XMLElement* element, Profile* profile)
{
    if (!profile) return;
    for (; element; element = element->NextSiblingElement()) {
        const char* text = ElementText(element);
        if (!text) continue;
        if (IsNamed(element, "Name")) profile->name = text;
        else if (IsNamed(element, "LevelsCompleted")) profile->levelsCompleted = FileManager::ConvertToInt(text);
    }
}

bool ProfileManager::KeepUnreadableFile(const std::string& path)
{
    const std::string target = Platform::ResolvePath(path);
    const std::string backup = target + BACKUP_SUFFIX;
    if (FileExists(target)) {
        if (std::rename(target.c_str(), backup.c_str()) != 0) {
            QRX_LOG_ERROR("Unable to keep the unreadable %s as %s (%s); the profiles are not saved.", path.c_str(),
                          backup.c_str(), std::strerror(errno));
            return false;
        }
        QRX_LOG_WARNING("The unreadable %s is kept as %s.", path.c_str(), backup.c_str());
    }
    m_UnreadableFile = false;
    return true;
}

bool ProfileManager::SaveProfiles()
{
    FileManager* files = Files();
    if (!files) {
        QRX_LOG_ERROR("Unable to save the profiles: no file manager.");
        return false;
    }
    // The game folder, one level at a time (the documents folder exists).
    const std::string documents = Platform::GetDocumentsFolder() + "/";
    const std::string game = GAME_FOLDER;
    for (size_t at = 1; at <= game.size(); ++at)
        if (at == game.size() || game[at] == '/') Platform::MakeDirectory(documents + game.substr(0, at));
    const std::string path = GetProfilePath();
    if (m_UnreadableFile && !KeepUnreadableFile(path)) return false;

    files->BeginWrite("Profiles");
    files->WriteParent("lastUsed");
    files->WriteValue(m_CurrentProfile ? m_CurrentProfile->name : std::string(GUEST_NAME));
    for (const std::unique_ptr<Profile>& profile : m_Profiles) WriteProfile(profile.get());
    return files->SaveFile(path);
}

void ProfileManager::WriteProfile(const Profile* profile)
{
    FileManager* files = Files();
    if (!files || !profile || profile->name == GUEST_NAME) return;
    files->WriteParent("Profile");
    files->WriteChild("Name");
    files->WriteValue(profile->name);
    files->WriteSibling("LevelsCompleted");
    files->WriteValue(IntToString(profile->levelsCompleted));
    files->WriteReturn();
}

bool ProfileManager::CreateProfile(const std::string& name)
{
    // A blank name reads back as DEFAULT_PROFILE_NAME, away from its "lastUsed".
    if (name.find_first_not_of(' ') == std::string::npos) {
        QRX_LOG_WARNING("A profile needs a name that is not blank; none created.");
        return false;
    }
    if (FindProfile(name)) return false;
    auto profile = std::make_unique<Profile>();
    profile->name = name;
    m_Profiles.push_back(std::move(profile));
    return SaveProfiles();
}

bool ProfileManager::SelectProfile(std::string& name)
{
    if (Profile* profile = FindProfile(name)) {
        m_CurrentProfile = profile;
        SaveProfiles();
        return true;
    }
    name = GUEST_NAME;
    m_CurrentProfile = m_Profiles.front().get();
    return false;
}

void ProfileManager::DeleteProfile(const std::string& name)
{
    // The built-in profile is what the game falls back to: it stays.
    if (name == GUEST_NAME) {
        QRX_LOG_ERROR("The Guest profile cannot be deleted.");
        return;
    }
    for (auto it = m_Profiles.begin(); it != m_Profiles.end(); ++it) {
        if ((*it)->name != name) continue;
        if (m_CurrentProfile->name == name) m_CurrentProfile = m_Profiles.front().get();
        m_Profiles.erase(it);
        SaveProfiles();
        return;
    }
    QRX_LOG_ERROR(" Problem deleting a profile");
}

std::vector<std::string> ProfileManager::GetProfileNames() const
{
    std::vector<std::string> names;
    names.reserve(m_Profiles.size());
    for (const std::unique_ptr<Profile>& profile : m_Profiles) names.push_back(profile->name);
    return names;
}

Profile* ProfileManager::FindProfile(const std::string& name) const
{
    for (const std::unique_ptr<Profile>& profile : m_Profiles)
        if (profile->name == name) return profile.get();
    return nullptr;
}

} // namespace QRX
