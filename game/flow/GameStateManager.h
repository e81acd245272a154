// Runs the game as a stack of game states.
//
// Code asks for another state by writing a requested id (RequestState) or
// for a reload of the top state (RequestReload); Update carries the request
// out at the next frame, before any state is updated, by the first rule that
// applies:
//   1. 36 (main menu) while another id is current: pop every state, change to 36.
//   2. 40 (credits) while 50 (game complete) is current: pop every state,
//      change to 36 and push 40 over it.
//   3. The current id: update the top state, then carry out a restart or
//      reload asked during that update, then a pending reload request. When
//      the id was asked for again (RequestStateAgain), reload the state
//      instead, with no update.
//   4. Below 35: with more than one state stacked, only pop down to one; a
//      request of the uncovered state's id lapses there (it runs on), any
//      other id stays requested and is changed to on the next frame. With
//      one state stacked, change to it.
//   5. The previous id with more than one state stacked: pop one.
//   6. 35: pop while the current id is above 35 and more than one state is
//      stacked, then restart the state on top.
//   7. Anything else: push it over the current state.
// No state is updated on a frame that carries out a request. A request that
// no state object serves is logged and dropped: the current state stays and
// is updated on that frame.
// Whenever a state's Free has run, the objects it still owns go back to the
// object manager's pool (persistent ones stay).
// The manager owns the level manager; the state objects are not its own. It
// tells the object manager which state is current and whether one updates.
#pragma once
#include <memory>
#include <vector>

#include "game/flow/GameStateTables.h"

namespace QRX {

class GameState;
class LevelManager;

// Phases of the manager, read by the object manager.
constexpr int PHASE_ENTERING = 0;  // set before Load and Init
constexpr int PHASE_UPDATING = 1;  // set before the top state's Update
constexpr int PHASE_LEAVING = 2;   // set before Free and Unload

// Engine flag bits that every restart and reload clears.
constexpr unsigned RESTART_CLEARED_FLAGS = 0x02 | 0x04 | 0x08;

class GameStateManager
{
public:
    // Empty stack and history, previous, current and requested ids 1, no
    // reload request, phase 0, no level manager.
    GameStateManager();
    // Shuts down when that has not been done.
    ~GameStateManager();
    GameStateManager(const GameStateManager&) = delete;
    GameStateManager& operator=(const GameStateManager&) = delete;

    // Creates and initialises the level manager, binds the state objects and
    // changes to the splash state (its Load and Init run here). False, with
    // an ERROR line, when the level manager cannot be made or initialised. A
    // splash state that no object serves is logged and the start goes on.
    bool Initialize();
    // Once per frame: carries out a pending request or updates the top state.
    void Update();
    // Pops every state, after which none is current (id 0), empties the
    // lists, clears and deletes the map and deletes the level manager. Safe
    // to repeat.
    void Shutdown();

    // Replaces the top state by the state of the id: Free and Unload of the
    // old top, then Load and Init of the new one with the id current. False,
    // with a WARNING and nothing changed, when no state object serves the id.
    bool ChangeState(int id);
    // Pauses the top state and pushes the state of the id over it (Load and
    // Init run). False, with a WARNING and nothing changed, when no state
    // object serves the id.
    bool PushOverState(int id);
    // Free and Unload of the top state, which leaves; the one under it is
    // current again and resumes.
    void PopState();
    // Pops while more than `count` states are stacked.
    void PopStatesTo(unsigned count);
    // Free then Init of the top state. Loading and transition screens, which
    // make their objects in Load, are reloaded instead. Asked during the top
    // state's update, it runs right after that update.
    void RestartState();
    // Free, Unload, Load and Init of the top state. Asked during the top
    // state's update, it runs right after that update.
    void ReloadState();
    // Appends the object that serves the id to the stack; false (nothing
    // pushed) when none does.
    bool PushStateById(int id);

    void RequestState(int id)
    {
        m_RequestedState = id;
        m_AgainRequested = false;
    }
    // As RequestState, but should the id be the state being played (on top,
    // or the one the menus over it uncover) it starts again from its file
    // rather than running on: a goto to where the player already is.
    void RequestStateAgain(int id)
    {
        m_RequestedState = id;
        m_AgainRequested = true;
    }
    void RequestReload() { m_ReloadRequested = true; }

    int GetRequestedState() const { return m_RequestedState; }
    int GetCurrentState() const { return m_CurrentState; }
    int GetPreviousState() const { return m_PreviousState; }
    bool IsReloadRequested() const { return m_ReloadRequested; }
    int GetPhase() const { return m_Phase; }
    // True exactly while the top state's Update runs.
    bool IsUpdatingTopState() const { return m_UpdatingTop; }

    // For the object manager: whether the phase is updating (from the top
    // state's Update until the next state enters or leaves, so objects made
    // later in the frame, by collision hooks among others, are initialised
    // at once too).
    bool IsUpdatingState() const { return m_Phase == PHASE_UPDATING; }
    LevelManager* GetLevelManager() const { return m_LevelManager.get(); }
    const std::vector<GameState*>& GetStates() const { return m_States; }
    const std::vector<int>& GetHistory() const { return m_History; }
    // The class of object that serves the current id (no value without a row).
    const StateTableEntry* GetCurrentStateEntry() const { return FindStateTableEntry(m_CurrentState); }

private:
    // True when a state object serves the id; otherwise logs and drops the request.
    bool CanServe(int id);
    int m_LastRefusedState = 0;  // the last id no state object served, warned about once
    void UpdateTopState();
    void Restart();
    void Reload();
    // Returns the current state's remaining objects to the pool.
    static void ClearStateObjects();
    // Clears RESTART_CLEARED_FLAGS, but keeps the editor's bit while a
    // level-editor state is current (its objects stay inert, physics off).
    void ClearRestartFlags() const;

    std::unique_ptr<LevelManager> m_LevelManager;
    std::vector<int> m_History;         // previous ids saved by each push-over, latest last
    std::vector<GameState*> m_States;   // the top state is last; not owned
    int m_PreviousState = STATE_SPLASH; // id of the state under the current one
    int m_CurrentState = STATE_SPLASH;
    int m_RequestedState = STATE_SPLASH;  // equal to the current id when nothing is pending
    int m_Phase = PHASE_ENTERING;
    bool m_ReloadRequested = false;
    bool m_AgainRequested = false;  // the request came from RequestStateAgain
    bool m_UpdatingTop = false;
    bool m_RestartPending = false;  // asked during the top state's update
    bool m_ReloadPending = false;
    bool m_EmptyReported = false;   // the empty-stack assertion is raised once per episode
};

} // namespace QRX
