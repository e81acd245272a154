// The program's state objects, one per state class, bound to the state table.
// Each state class adds its global object here when it is built.
#include "game/flow/BaseLevel.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/Menu.h"
#include "game/flow/MultiplayerLevel.h"
#include "game/flow/TransitionLevel.h"
#include "tools/LevelEditor.h"

namespace QRX {

namespace {

BaseLevel s_baseLevel;
LoadingLevel s_loadingLevel;
TransitionLevel s_transitionLevel;
Menu s_menu;
MultiplayerLevel s_multiplayerLevel;
LevelEditor s_levelEditor;

// Binds only a class that has no object yet, so a test's binding stays.
void Bind(StateObjectKind kind, GameState* object)
{
    if (!GetStateObject(kind)) BindStateObject(kind, object);
}

} // namespace

void BindGameStateObjects()
{
    // Classes not built yet stay unbound: a change to one of their ids is
    // logged and refused by the game-state manager.
    Bind(StateObjectKind::BaseLevel, &s_baseLevel);
    Bind(StateObjectKind::LoadingLevel, &s_loadingLevel);
    Bind(StateObjectKind::TransitionLevel, &s_transitionLevel);
    Bind(StateObjectKind::Menu, &s_menu);
    Bind(StateObjectKind::MultiplayerLevel, &s_multiplayerLevel);
    Bind(StateObjectKind::LevelEditor, &s_levelEditor);
}

} // namespace QRX
