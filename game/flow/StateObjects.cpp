// The program's state objects, one per state class, bound to the state table.
// Each state class of the game adds its global object here when it is built;
// the tools provide theirs (the level editor) through ProvideStateObject.
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

// The objects the floors above provide, by class.
GameState* g_provided[STATE_OBJECT_KIND_COUNT] = {};

// Binds only a class that has no object yet, so a test's binding stays.
void Bind(StateObjectKind kind, GameState* object)
{
    if (!GetStateObject(kind)) BindStateObject(kind, object);
}

} // namespace

void ProvideStateObject(StateObjectKind kind, GameState* object)
{
    const int index = static_cast<int>(kind);
    if (index >= 0 && index < STATE_OBJECT_KIND_COUNT) g_provided[index] = object;
}

void BindGameStateObjects()
{
    // Classes not built yet stay unbound: a change to one of their ids is
    // logged and refused by the game-state manager.
    Bind(StateObjectKind::BaseLevel, &s_baseLevel);
    Bind(StateObjectKind::LoadingLevel, &s_loadingLevel);
    Bind(StateObjectKind::TransitionLevel, &s_transitionLevel);
    Bind(StateObjectKind::Menu, &s_menu);
    Bind(StateObjectKind::MultiplayerLevel, &s_multiplayerLevel);
    for (int kind = 0; kind < STATE_OBJECT_KIND_COUNT; ++kind)
        if (g_provided[kind]) Bind(static_cast<StateObjectKind>(kind), g_provided[kind]);
}

} // namespace QRX
