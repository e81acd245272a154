// The program's state objects, one per state class, bound to the state table.
// Each state class of the game adds its global object here when it is built;
// the tools provide theirs (the level editor) through the engine's door.
#include "engine/core/EngineDoor.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/Menu.h"
#include "game/flow/MultiplayerLevel.h"
#include "game/flow/TransitionLevel.h"

namespace QRX {

namespace {

BaseLevel s_baseLevel;
LoadingLevel s_loadingLevel;
TransitionLevel s_transitionLevel;
Menu s_menu;
MultiplayerLevel s_multiplayerLevel;

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
    if (GameState* editor = Door().levelEditorState) Bind(StateObjectKind::LevelEditor, editor);
}

} // namespace QRX
