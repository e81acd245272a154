#include "game/flow/GameStateManager.h"

#include <new>
#include <string>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameState.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"

namespace QRX {

namespace {

// A state as log lines name it: "MAINMENU (36)", or the number alone ("51")
// for an id without a name.
std::string StateLabel(int id)
{
    const std::string name = GameStateToString(id);
    return name.empty() ? std::to_string(id) : name + " (" + std::to_string(id) + ")";
}

} // namespace

GameStateManager::GameStateManager() = default;

GameStateManager::~GameStateManager() { Shutdown(); }

bool GameStateManager::Initialize()
{
    m_LevelManager.reset(new (std::nothrow) LevelManager(this));
    if (!m_LevelManager) {
        QRX_LOG_ERROR("System probably ran out of memory");
        return false;
    }
    if (!m_LevelManager->Initialize()) {
        QRX_LOG_ERROR("LevelManager initialization failed!");
        return false;
    }
    BindGameStateObjects();
    ChangeState(STATE_SPLASH);
    return true;
}

void GameStateManager::Update()
{
    const int requested = m_RequestedState;

    // A refused request is dropped and the current state runs on this frame,
    // so a state that keeps asking for it still sees every frame's keys.
    if (requested == STATE_MAINMENU && m_CurrentState != STATE_MAINMENU) {
        if (!CanServe(STATE_MAINMENU)) {
            UpdateTopState();
            return;
        }
        PopStatesTo(0);
        ChangeState(STATE_MAINMENU);
        return;
    }
    if (requested == STATE_MAINCREDITS && m_CurrentState == STATE_GAMECOMPLETEMENU) {
        if (!CanServe(STATE_MAINMENU) || !CanServe(STATE_MAINCREDITS)) {
            UpdateTopState();
            return;
        }
        PopStatesTo(0);
        ChangeState(STATE_MAINMENU);
        PushOverState(STATE_MAINCREDITS);
        return;
    }
    if (requested == m_CurrentState) {
        if (m_AgainRequested) {
            m_AgainRequested = false;
            ReloadState();
            return;
        }
        UpdateTopState();
        return;
    }
    if (requested < STATE_RESTART) {
        if (m_States.size() > 1) {
            PopStatesTo(1);
            // Another state than the one uncovered (a goto typed on a menu)
            // follows on the next frame, before that state runs again.
            if (requested != m_CurrentState) m_RequestedState = requested;
        } else if (!ChangeState(requested)) {
            UpdateTopState();
        }
        return;
    }
    if (requested == m_PreviousState && m_States.size() > 1) {
        PopState();
        return;
    }
    if (requested == STATE_RESTART) {
        // The bottom state stays even when nothing at or below 35 lies under the menus.
        while (m_CurrentState > STATE_RESTART && m_States.size() > 1) PopState();
        RestartState();
        m_RequestedState = m_CurrentState;
        return;
    }
    if (!PushOverState(requested)) UpdateTopState();
}

void GameStateManager::UpdateTopState()
{
    if (m_States.empty()) {
        if (!m_EmptyReported) {
            m_EmptyReported = true;
            QRX_ASSERT(m_States.empty() == false, 1,
                       "We ran out of states! We are running stateless here! Make sure we don't pop states when "
                       "there are only 1 state left!");
        }
        return;
    }
    m_Phase = PHASE_UPDATING;
    m_UpdatingTop = true;
    m_States.back()->Update(*this);
    m_UpdatingTop = false;

    // What the update asked for runs now, once the state's code has returned.
    bool reload = m_ReloadPending || m_ReloadRequested;
    bool restart = m_RestartPending;
    m_ReloadPending = m_RestartPending = false;
    m_ReloadRequested = false;
    if (reload) ReloadState();
    else if (restart) RestartState();
}

void GameStateManager::Shutdown()
{
    while (!m_States.empty()) PopState();
    // The object manager, asking through the door, then sees no state.
    m_CurrentState = STATE_NONE;
    m_States.clear();
    m_States.shrink_to_fit();
    m_History.clear();
    m_History.shrink_to_fit();
    if (m_LevelManager) {
        m_LevelManager->DestroyMap();
        m_LevelManager.reset();
    }
}

bool GameStateManager::CanServe(int id)
{
    if (FindStateObject(id)) {
        m_LastRefusedState = 0;
        return true;
    }
    // A state that asks again every frame gets the warning once.
    if (id != m_LastRefusedState)
        QRX_LOG_WARNING("No state object serves state %s; keeping state %s.", StateLabel(id).c_str(),
                        StateLabel(m_CurrentState).c_str());
    m_LastRefusedState = id;
    m_RequestedState = m_CurrentState;
    return false;
}

bool GameStateManager::ChangeState(int id)
{
    QRX_LOG_INFO("Loading level %s", GameStateToString(id).c_str());
    if (!CanServe(id)) return false;

    if (!m_States.empty()) {
        m_Phase = PHASE_LEAVING;
        m_States.back()->Free();
        m_States.back()->Unload();
        ClearStateObjects();
        m_States.pop_back();
        m_PreviousState = m_CurrentState;
    }
    PushStateById(id);
    m_RequestedState = m_CurrentState = id;
    m_AgainRequested = false;

    int row = FindLevelTableRow(id);
    if (row < 0) {
        QRX_LOG_WARNING("Unable to find state %s in level table. Defaulting to index 0 for the level state.",
                        GameStateToString(id).c_str());
        row = 0;
    }
    if (m_LevelManager) m_LevelManager->SetCurrentLevelIndex(row);

    m_Phase = PHASE_ENTERING;
    m_States.back()->Load();
    m_States.back()->Init();
    return true;
}

bool GameStateManager::PushOverState(int id)
{
    if (!CanServe(id)) return false;
    if (!m_States.empty()) {
        m_States.back()->Pause();
        m_History.push_back(m_PreviousState);
        m_PreviousState = m_CurrentState;
    }
    PushStateById(id);
    m_RequestedState = m_CurrentState = id;
    m_AgainRequested = false;
    m_Phase = PHASE_ENTERING;
    m_States.back()->Load();
    m_States.back()->Init();
    return true;
}

void GameStateManager::PopState()
{
    if (!m_States.empty()) {
        m_Phase = PHASE_LEAVING;
        m_States.back()->Free();
        m_States.back()->Unload();
        ClearStateObjects();
        m_States.pop_back();
    }
    if (!m_States.empty()) {
        m_RequestedState = m_CurrentState = m_PreviousState;
        if (!m_History.empty()) {
            m_PreviousState = m_History.back();
            m_History.pop_back();
        }
        m_States.back()->Resume();
    }
}

void GameStateManager::PopStatesTo(unsigned count)
{
    while (m_States.size() > count) PopState();
}

void GameStateManager::RestartState()
{
    if (m_UpdatingTop) {
        m_RestartPending = true;
        return;
    }
    const StateTableEntry* entry = GetCurrentStateEntry();
    if (entry && (entry->kind == StateObjectKind::LoadingLevel || entry->kind == StateObjectKind::TransitionLevel)) {
        Reload();
        return;
    }
    Restart();
}

void GameStateManager::ReloadState()
{
    if (m_UpdatingTop) {
        m_ReloadPending = true;
        return;
    }
    Reload();
}

void GameStateManager::Restart()
{
    if (!m_States.empty()) {
        m_Phase = PHASE_LEAVING;
        m_States.back()->Free();
        ClearStateObjects();
        m_Phase = PHASE_ENTERING;
        m_States.back()->Init();
    }
    ClearRestartFlags();
}

void GameStateManager::Reload()
{
    if (!m_States.empty()) {
        m_Phase = PHASE_LEAVING;
        m_States.back()->Free();
        m_States.back()->Unload();
        ClearStateObjects();
        m_Phase = PHASE_ENTERING;
        m_States.back()->Load();
        m_States.back()->Init();
    }
    ClearRestartFlags();
}

bool GameStateManager::PushStateById(int id)
{
    GameState* state = FindStateObject(id);
    if (!state) return false;
    m_States.push_back(state);
    m_EmptyReported = false;
    return true;
}

void GameStateManager::ClearStateObjects()
{
    // The states return their own objects; this catches what one leaves.
    System* system = System::PeekInstance();
    if (system && system->objectManager) system->objectManager->ClearLevelObjects();
}

void GameStateManager::ClearRestartFlags() const
{
    unsigned cleared = RESTART_CLEARED_FLAGS;
    if (m_CurrentState == STATE_LEVELEDITOR || m_CurrentState == STATE_LEVELEDITORNEXT) cleared &= ~SYSTEM_EDITOR_A;
    System::GetInstance()->flags &= ~cleared;
}

} // namespace QRX
