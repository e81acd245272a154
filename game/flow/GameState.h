// The base of every game state.
//
// Every screen of the game (splash, loading screen, levels, transition
// screens, the two-player level, menus, the level editor) runs as a game
// state. There is one object per state class, and several state ids share it:
// a state learns which id it runs from the game-state manager's current id.
// Only the game-state manager calls these slots:
//   Load    after the state is pushed (a change or a push-over), and by a reload
//   Init    right after Load; alone by a restart
//   Pause   on the top state before another one is pushed over it
//   Resume  on the state that is on top again after a pop
//   Update  once per frame, on the top state only
//   Free    first when the state leaves the stack; by a restart and a reload
//   Unload  second when the state leaves the stack; by a reload
// State objects are never deleted through this base.
#pragma once

namespace QRX {

class GameStateManager;

class GameState
{
public:
    virtual void Load() = 0;
    virtual void Init() = 0;
    // A state that keeps running under another one overrides these.
    virtual void Pause() {}
    virtual void Resume() {}
    virtual void Update(GameStateManager& manager) = 0;
    virtual void Free() = 0;
    virtual void Unload() = 0;

protected:
    GameState() = default;
    ~GameState() = default;
    GameState(const GameState&) = default;
    GameState& operator=(const GameState&) = default;
};

} // namespace QRX
