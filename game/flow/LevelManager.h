// Where level files are and which one the current state uses.
//
// Owned by the game-state manager; owns the level grid map. It keeps the
// current row of the level table (written by every change of state), the path
// of a level loaded freely by name (states 33 and 34), and the level files
// found on disk. Level, menu, transition, splash and loading screens are all
// level files: XML with the root "level", a first child "Map" holding "Row",
// "Column" and "Height", then one "Object" element per object, each starting
// with a "Type" child. They are opened as LEVEL_FOLDER + the level-table file
// name (or the free-load path).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "game/flow/GameStateTables.h"

namespace QRX {

class GameStateManager;
class Map;

class LevelManager
{
public:
    static constexpr const char* LEVEL_FOLDER = "data/levels/";
    static constexpr const char* LEVEL_SCAN_FOLDER = "data\\levels";

    // Empty fields; next and previous level write their requests to `owner`
    // (no owner: they do nothing).
    explicit LevelManager(GameStateManager* owner = nullptr);
    ~LevelManager();
    LevelManager(const LevelManager&) = delete;
    LevelManager& operator=(const LevelManager&) = delete;

    // Scans the level folder, then creates the map (all sizes 0, no cells).
    // False, with an ERROR line, when the map cannot be allocated; the scan's
    // result does not matter.
    bool Initialize();
    // Rebuilds the list of level files from a folder: each name holding
    // ".xml" as it is, each name without a "." as a sub-folder whose XML
    // files are listed as sub-folder + "\" + name. Names are taken in
    // case-insensitive order. A folder with nothing in it leaves the list as
    // it was, with a WARNING; an empty sub-folder is skipped with the same
    // WARNING.
    void LoadLevelPaths(const std::string& folder);
    // Opens and parses a level file through the file manager; it stays the
    // current level document for the map and object readers. False when it
    // cannot be read, or is no level file (both logged).
    bool CanOpenLevelFile(const std::string& path);
    // Whether the state's screen owns the grid map: the level states, the
    // two-player level and the level editor (not the menus, the transition
    // and loading screens, which may stand over a level).
    static bool OwnsGrid(int stateId);
    // Creates one object per object element of the open level document, then,
    // for the states that own the grid only, builds the grid map
    // from them (a screen pushed over a level leaves the level's grid alone),
    // then, when `initialise` is set, initialises the components of the
    // current state's objects.
    void LoadLevelObjects(bool initialise);
    // Requests the next id of the current state's level-table row; nothing
    // when the current id has no row.
    void GoToNextLevel();
    // Requests the id of the row before the current state's row; nothing on
    // row 0 or when the current id has no row.
    void GoToPreviousLevel();
    // The file name of the first row with the id, or empty.
    std::string GetLevelFileName(int id) const;
    // The id of the first row whose file name equals the name exactly
    // (trailing blank included), or 0.
    int GetLevelStateId(const std::string& fileName) const;
    // Whether the scanned list holds the path, trailing blanks left out on
    // both sides as the file system drops them ("Twister.xml "); otherwise
    // exactly (separator and case as listed).
    bool IsLevelFileFound(const std::string& path) const;

    Map* GetMap() const { return m_Map.get(); }
    int GetCurrentLevelIndex() const { return m_CurrentLevelIndex; }
    // Row 0 for an index outside the table.
    void SetCurrentLevelIndex(int index);
    // The level-table row of the current state.
    const LevelTableEntry& GetCurrentLevelEntry() const;
    const std::string& GetFreeLoadPath() const { return m_FreeLoadPath; }
    void SetFreeLoadPath(const std::string& path) { m_FreeLoadPath = path; }
    const std::vector<std::string>& GetLevelFiles() const { return m_LevelFiles; }
    // Deletes the map (its cells first); the game-state manager's shutdown.
    void DestroyMap();

private:
    GameStateManager* m_Owner;
    std::unique_ptr<Map> m_Map;
    int m_CurrentLevelIndex = 0;  // row of the level table; 0 when the id has no row
    std::string m_FreeLoadPath;   // relative to the level folder
    std::vector<std::string> m_LevelFiles;  // relative to the level folder
};

} // namespace QRX
