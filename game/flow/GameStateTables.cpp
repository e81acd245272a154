#include "game/flow/GameStateTables.h"

namespace QRX {

namespace {

std::map<std::string, int>& NameTable()
{
    static std::map<std::string, int> table;
    return table;
}

using K = StateObjectKind;

const std::array<StateTableEntry, STATE_TABLE_SIZE> kStateTable = {{
    {1, K::BaseLevel},         {2, K::BaseLevel},         {3, K::BaseLevel},         {4, K::BaseLevel},
    {5, K::BaseLevel},         {6, K::BaseLevel},         {7, K::BaseLevel},         {8, K::BaseLevel},
    {9, K::BaseLevel},         {10, K::BaseLevel},        {11, K::BaseLevel},        {12, K::BaseLevel},
    {13, K::BaseLevel},        {14, K::BaseLevel},        {15, K::MultiplayerLevel}, {16, K::TransitionLevel},
    {17, K::TransitionLevel},  {18, K::TransitionLevel},  {19, K::TransitionLevel},  {20, K::TransitionLevel},
    {21, K::TransitionLevel},  {22, K::TransitionLevel},  {23, K::TransitionLevel},  {24, K::TransitionLevel},
    {25, K::TransitionLevel},  {26, K::TransitionLevel},  {27, K::TransitionLevel},  {28, K::TransitionLevel},
    {29, K::TransitionLevel},  {30, K::LevelEditor},      {31, K::LevelEditor},      {33, K::BaseLevel},
    {34, K::BaseLevel},        {36, K::Menu},             {37, K::Menu},             {38, K::Menu},
    {39, K::Menu},             {40, K::Menu},             {41, K::Menu},             {42, K::Menu},
    {43, K::Menu},             {44, K::Menu},             {45, K::Menu},             {46, K::Menu},
    {47, K::Menu},             {48, K::Menu},
    // The confirmation menu is a menu like the others: pushed, loaded and
    // popped by the menu object, so its history and objects stay in step.
    {49, K::Menu},
    {50, K::Menu},             {51, K::LoadingLevel},     {52, K::Menu},
}};

GameState* g_stateObjects[STATE_OBJECT_KIND_COUNT] = {};

const std::array<LevelTableEntry, LEVEL_TABLE_SIZE> kLevelTable = {{
    {1, 2, "splash.xml"},
    {2, 51, "splash_controller.xml"},
    {51, 36, "loading.xml"},
    {3, 17, "The Throw.xml"},
    {17, 4, "transition1.xml"},
    {4, 18, "BOOM.xml"},
    {18, 5, "transition2.xml"},
    {5, 19, "Bazinga.xml"},
    {19, 6, "transition3.xml"},
    {6, 20, "Warm Up.xml"},
    {20, 7, "transition4.xml"},
    {7, 21, "Twister.xml "},
    {21, 8, "transition5.xml "},
    {8, 22, "Conveytapult.xml "},
    {22, 9, "transition6.xml "},
    {9, 23, "LeapOfFaith.xml "},
    {23, 10, "transition7.xml "},
    {10, 24, "The Swapper.xml "},
    {24, 11, "transition8.xml "},
    {11, 25, "BridgesGalore.xml "},
    {25, 12, "transition9.xml "},
    {12, 26, "WholeShebang.xml "},
    {26, 13, "transition10.xml "},
    {13, 27, "B-B-Boss.xml "},
    {27, 36, "transition_end.xml "},
    {36, 16, "menus/mainmenu.xml"},
    {16, 3, "transition_start.xml"},
    {28, 15, "transitionmultiplayer_start.xml "},
    {15, 29, "multiplayer_VEL426.xml "},
    {29, 36, "transitionmultiplayer_end.xml "},
    {37, 36, "menus/mainoptions.xml"},
    {40, 36, "menus/maincredits.xml"},
    {41, 41, "menus/mainexitmenu.xml"},
    {42, 36, "menus/mainprofile.xml"},
    {43, 42, "menus/mainprofileaddname.xml"},
    {44, 44, "menus/pausemenu.xml"},
    {46, 44, "menus/pauseinstructions.xml"},
    {47, 47, "menus/pausemenuoptions.xml"},
    {48, 48, "menus/pausequitmenu.xml"},
    {45, 45, "menus/pauserestartmenu.xml"},
    {49, 36, "menus/areyousuremenu.xml"},
    {50, 40, "menus/gamecomplete.xml"},
    {52, 36, "menus/gameRETRY.xml"},
    {38, 37, "menus/mainoptionsresofailed.xml"},
    {39, 37, "menus/mainoptionsfullscreenfailed.xml"},
    {33, 33, ""},
    {34, 34, ""},
}};

} // namespace

// State-name table ---------------------------------------------------------

void AddGameStateName(int id, const std::string& name)
{
    NameTable().emplace(name, id);
}

void FillGameStateNameTable()
{
    if (!NameTable().empty()) return;
    AddGameStateName(1, "SPLASH");
    AddGameStateName(3, "LEVEL1");
    AddGameStateName(4, "LEVEL2");
    AddGameStateName(5, "LEVEL3");
    AddGameStateName(6, "LEVEL4");
    AddGameStateName(7, "LEVEL5");
    AddGameStateName(8, "LEVEL6");
    AddGameStateName(9, "LEVEL7");
    AddGameStateName(10, "LEVEL8");
    AddGameStateName(11, "LEVEL9");
    AddGameStateName(12, "LEVEL10");
    AddGameStateName(13, "LEVEL11");
    AddGameStateName(14, "LEVEL12");
    AddGameStateName(15, "MULTIPLAYER1");
    AddGameStateName(30, "LEVELEDITOR");
    AddGameStateName(31, "LEVELEDITORNEXT");
    AddGameStateName(33, "FREELOAD");
    AddGameStateName(34, "FREELOADNEXT");
    AddGameStateName(36, "MAINMENU");
    AddGameStateName(37, "MAINOPTIONS");
    AddGameStateName(38, "MAINOPTIONSRESOFAILED");
    AddGameStateName(39, "MAINOPTIONSFULLSCREENFAILED");
    AddGameStateName(40, "MAINCREDITS");
    AddGameStateName(41, "MAINEXITMENU");
    AddGameStateName(42, "MAINPROFILE");
    AddGameStateName(43, "MAINPROFILEADDNAME");
    AddGameStateName(44, "PAUSEMENU");
    AddGameStateName(45, "PAUSERESTARTMENU");
    AddGameStateName(46, "PAUSEINSTRUCTIONS");
    AddGameStateName(47, "PAUSEMENUOPTIONS");
    AddGameStateName(48, "PAUSEQUITMENU");
    AddGameStateName(49, "CONFIRMATIONMENU");
    AddGameStateName(50, "GAMECOMPLETEMENU");
    AddGameStateName(52, "GAMERETRYMENU");
}

const std::map<std::string, int>& GetGameStateNameTable()
{
    FillGameStateNameTable();
    return NameTable();
}

std::string GameStateToString(int id)
{
    const std::string* found = nullptr;
    for (const auto& entry : GetGameStateNameTable()) {
        if (entry.second != id) continue;
        if (found) return std::string();
        found = &entry.first;
    }
    return found ? *found : std::string();
}

bool StringToGameState(const std::string& name, int& id)
{
    const auto& table = GetGameStateNameTable();
    auto it = table.find(name);
    if (it == table.end()) return false;
    id = it->second;
    return true;
}

// State table ----------------------------------------------------------------

const std::array<StateTableEntry, STATE_TABLE_SIZE>& GetStateTable() { return kStateTable; }

const StateTableEntry* FindStateTableEntry(int id)
{
    for (const StateTableEntry& entry : kStateTable)
        if (entry.id == id) return &entry;
    return nullptr;
}

void BindStateObject(StateObjectKind kind, GameState* object)
{
    g_stateObjects[static_cast<int>(kind)] = object;
}

GameState* GetStateObject(StateObjectKind kind) { return g_stateObjects[static_cast<int>(kind)]; }

GameState* FindStateObject(int id)
{
    const StateTableEntry* entry = FindStateTableEntry(id);
    return entry ? GetStateObject(entry->kind) : nullptr;
}

// Level table ----------------------------------------------------------------

const std::array<LevelTableEntry, LEVEL_TABLE_SIZE>& GetLevelTable() { return kLevelTable; }

int FindLevelTableRow(int stateId)
{
    for (int i = 0; i < LEVEL_TABLE_SIZE; ++i)
        if (kLevelTable[i].stateId == stateId) return i;
    return -1;
}

} // namespace QRX
