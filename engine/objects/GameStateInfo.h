// What the object model needs to know of the game states.
//
// The object manager owns objects per game state: a new object belongs to the
// current state, a level clear removes the current state's objects, objects
// made while a state updates are initialised at once, and in the level-editor
// states components are neither initialised nor freed. The game-state manager
// answers these questions by implementing GameStateInfo and handing itself to
// ObjectManager::SetGameStateInfo; without one no state is current (id 0) and
// none is updating.
#pragma once

namespace QRX {

// The ids of the two level-editor states.
constexpr int LEVEL_EDITOR_STATE_ID = 30;
constexpr int LEVEL_EDITOR_NEXT_STATE_ID = 31;

class GameStateInfo
{
public:
    virtual ~GameStateInfo() = default;
    // The current game state's id.
    virtual int CurrentStateId() const = 0;
    // True exactly while the top state's Update runs.
    virtual bool IsUpdatingState() const = 0;
};

} // namespace QRX
