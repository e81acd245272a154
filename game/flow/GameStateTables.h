// State ids and the three fixed tables of the game flow.
//
// State ids are plain ints; 0 is no state. The state-name table names 34 of
// them (the console uses it both ways, the manager for its log lines). The
// state table binds each id to the class of state object that serves it; the
// objects themselves are bound per class (BindStateObject), so the table
// stays fixed while the classes come and go. The level table gives each id
// its data file under the level folder and the id that follows it; its row
// order matters (a missing id falls back to row 0, and the previous level is
// the row before the current one). Several file names end in one blank: the
// blank is part of the name compared here and is dropped only where the path
// meets the file system.
#pragma once
#include <array>
#include <map>
#include <string>

namespace QRX {

class GameState;

// Ids that code names on its own (the others come from the tables).
constexpr int STATE_NONE = 0;
constexpr int STATE_SPLASH = 1;
constexpr int STATE_SPLASH_CONTROLLER = 2;
constexpr int STATE_LEVEL1 = 3;
constexpr int STATE_LEVEL12 = 14;
constexpr int STATE_MULTIPLAYER1 = 15;
constexpr int STATE_TRANSITION_FIRST = 16;
constexpr int STATE_TRANSITION_LAST = 29;
constexpr int STATE_LEVELEDITOR = 30;
constexpr int STATE_LEVELEDITORNEXT = 31;
constexpr int STATE_FREELOAD = 33;
constexpr int STATE_FREELOADNEXT = 34;
constexpr int STATE_RESTART = 35;  // a request only: restart the level under the menus
constexpr int STATE_MAINMENU = 36;
constexpr int STATE_MAINCREDITS = 40;
constexpr int STATE_PAUSEMENU = 44;
constexpr int STATE_CONFIRMATIONMENU = 49;
constexpr int STATE_GAMECOMPLETEMENU = 50;
constexpr int STATE_LOADING = 51;
constexpr int STATE_GAMERETRYMENU = 52;

// State-name table ---------------------------------------------------------

constexpr int GAME_STATE_NAME_COUNT = 34;

// The map from name to id, filled on first use.
const std::map<std::string, int>& GetGameStateNameTable();
// Fills the table with the 34 names (does nothing when already filled).
void FillGameStateNameTable();
// Adds one name; an existing name keeps its id.
void AddGameStateName(int id, const std::string& name);
// The name of the only entry with the id; empty when none or several have it.
std::string GameStateToString(int id);
// True and the id when the name is in the table (exact, case-sensitive);
// otherwise false and `id` untouched.
bool StringToGameState(const std::string& name, int& id);

// State table ----------------------------------------------------------------

// The classes of state object; each serves several ids.
enum class StateObjectKind { BaseLevel, LoadingLevel, MultiplayerLevel, TransitionLevel, Menu, LevelEditor };
constexpr int STATE_OBJECT_KIND_COUNT = 6;

struct StateTableEntry
{
    int id;
    StateObjectKind kind;
};

// Ids 1 to 31, 33, 34 and 36 to 52: 32, 35 and 53 have no row.
constexpr int STATE_TABLE_SIZE = 50;
const std::array<StateTableEntry, STATE_TABLE_SIZE>& GetStateTable();
// The first row with the id, or null.
const StateTableEntry* FindStateTableEntry(int id);

// Binds the one object of a class (null unbinds it).
void BindStateObject(StateObjectKind kind, GameState* object);
// The object bound to a class, or null.
GameState* GetStateObject(StateObjectKind kind);
// The object that serves an id: null when the id has no row or its class has
// no object bound yet.
GameState* FindStateObject(int id);
// Binds the program's own state objects to each class that has none yet
// (a test's binding stays), the tools' level editor from the engine's door
// (EngineDoor::levelEditorState) included. Run by the game-state manager's
// Initialize.
void BindGameStateObjects();

// Level table ----------------------------------------------------------------

struct LevelTableEntry
{
    int stateId;
    int nextStateId;
    const char* fileName;  // relative to the level folder; empty for the free-load rows
};

constexpr int LEVEL_TABLE_SIZE = 47;
const std::array<LevelTableEntry, LEVEL_TABLE_SIZE>& GetLevelTable();
// The index of the first row with the state id, or -1.
int FindLevelTableRow(int stateId);

} // namespace QRX
