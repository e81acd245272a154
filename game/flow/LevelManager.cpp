#include "game/flow/LevelManager.h"

#include <new>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/FileSearch.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/Map.h"

namespace QRX {

namespace {

// A level name as the file system opens it: without its trailing blanks
// (the level table writes some names with one, "Twister.xml ").
std::string WithoutTrailingBlanks(const std::string& name)
{
    const size_t end = name.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

} // namespace

LevelManager::LevelManager(GameStateManager* owner) : m_Owner(owner) {}

LevelManager::~LevelManager() = default;

bool LevelManager::Initialize()
{
    LoadLevelPaths(LEVEL_SCAN_FOLDER);
    m_Map.reset(new (std::nothrow) Map());
    if (!m_Map) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    return true;
}

void LevelManager::LoadLevelPaths(const std::string& folder)
{
    std::vector<std::string> names;
    if (!Platform::FindFiles(folder, "*.*", names)) {
        QRX_LOG_WARNING("LevelManager - No files found in level directory");
        return;
    }
    m_LevelFiles.clear();
    for (const std::string& name : names) {
        if (name.find(".xml") != std::string::npos) {
            m_LevelFiles.push_back(name);
        } else if (name.find('.') == std::string::npos) {
            std::vector<std::string> inner;
            if (!Platform::FindFiles(folder + "\\" + name, "*.xml", inner)) {
                // An empty sub-folder (or a file without a dot) hides no level
                // of the folder: go on with the next entry.
                QRX_LOG_WARNING("LevelManager - No files found in level directory");
                continue;
            }
            for (const std::string& file : inner) m_LevelFiles.push_back(name + "\\" + file);
        }
    }
}

bool LevelManager::CanOpenLevelFile(const std::string& path)
{
    FileManager* files = System::GetInstance()->fileManager;
    if (!files) {
        QRX_LOG_ERROR("Unable to open level file %s: no file manager.", path.c_str());
        return false;
    }
    if (!files->OpenFile(path)) return false;
    // Another kind of XML file would leave the readers on the previous level.
    auto it = files->documentContainer.find(path);
    if (it == files->documentContainer.end() || !files->levelRoot ||
        files->levelRoot != it->second->RootElement()) {
        QRX_LOG_ERROR("Unable to open file: %s, it is not a level file (root \"level\").", path.c_str());
        return false;
    }
    return true;
}

bool LevelManager::OwnsGrid(int stateId)
{
    // Menus, loading and transition screens are pushed over (or replace) a
    // level without its grid.
    const StateTableEntry* entry = FindStateTableEntry(stateId);
    return entry && (entry->kind == StateObjectKind::BaseLevel || entry->kind == StateObjectKind::MultiplayerLevel ||
                     entry->kind == StateObjectKind::LevelEditor);
}

void LevelManager::LoadLevelObjects(bool initialise)
{
    System* system = System::GetInstance();
    if (!system->fileManager || !system->objectManager) {
        QRX_LOG_ERROR("Unable to load the level objects: no file manager or object manager.");
        return;
    }
    system->fileManager->ReadObjects();

    const bool ownsGrid = !m_Owner || OwnsGrid(m_Owner->GetCurrentState());
    if (ownsGrid && m_Map) m_Map->Build();

    if (initialise) system->objectManager->InitLevelObjects();
}

void LevelManager::GoToNextLevel()
{
    if (!m_Owner) return;
    int row = FindLevelTableRow(m_Owner->GetCurrentState());
    if (row < 0) return;
    m_Owner->RequestState(GetLevelTable()[row].nextStateId);
}

void LevelManager::GoToPreviousLevel()
{
    if (!m_Owner) return;
    int row = FindLevelTableRow(m_Owner->GetCurrentState());
    if (row <= 0) return;
    m_Owner->RequestState(GetLevelTable()[row - 1].stateId);
}

std::string LevelManager::GetLevelFileName(int id) const
{
    int row = FindLevelTableRow(id);
    return row < 0 ? std::string() : std::string(GetLevelTable()[row].fileName);
}

int LevelManager::GetLevelStateId(const std::string& fileName) const
{
    for (const LevelTableEntry& entry : GetLevelTable())
        if (fileName == entry.fileName) return entry.stateId;
    return 0;
}

bool LevelManager::IsLevelFileFound(const std::string& path) const
{
    const std::string wanted = WithoutTrailingBlanks(path);
    for (const std::string& file : m_LevelFiles)
        if (WithoutTrailingBlanks(file) == wanted) return true;
    return false;
}

void LevelManager::SetCurrentLevelIndex(int index)
{
    m_CurrentLevelIndex = (index >= 0 && index < LEVEL_TABLE_SIZE) ? index : 0;
}

const LevelTableEntry& LevelManager::GetCurrentLevelEntry() const
{
    return GetLevelTable()[m_CurrentLevelIndex];
}

void LevelManager::DestroyMap()
{
    if (m_Map) m_Map->Clear();
    m_Map.reset();
}

} // namespace QRX
