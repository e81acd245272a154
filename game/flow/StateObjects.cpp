// The program's state objects, one per state class, bound to the state table.
// Each state class adds its global object here when it is built:
//     static BaseLevel s_baseLevel;
//     ...
//     Bind(StateObjectKind::BaseLevel, &s_baseLevel);
#include "game/flow/GameStateTables.h"

namespace QRX {

namespace {

// Binds only a class that has no object yet, so a test's binding stays.
[[maybe_unused]] void Bind(StateObjectKind kind, GameState* object)
{
    if (!GetStateObject(kind)) BindStateObject(kind, object);
}

} // namespace

void BindGameStateObjects()
{
    // No state class exists yet: every id is served by nothing, and a change
    // to it is logged and refused by the game-state manager.
}

} // namespace QRX
