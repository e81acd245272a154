#include "game/flow/MultiplayerLevel.h"

#include <limits>

#include "engine/core/Controller.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Camera.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/platform/Pads.h"
#include "game/flow/DeveloperTools.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/StateCommon.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/ControllerWaitComponent.h"
#include "game/gameplay/ExitComponent.h"
#include "game/gameplay/PlayerComponent.h"

namespace QRX {

namespace {

// The letter C skips to the next table entry.
constexpr int KEY_SKIP_LEVEL = KEY_A + ('C' - 'A');

bool PadConnected(std::uint32_t userIndex)
{
    Platform::XINPUT_STATE state{};
    return Platform::XInputGetState(userIndex, &state) == Platform::ERROR_SUCCESS;
}

// A robot still in play: the pointer may name a pool place that its robot
// has left (destroyed meanwhile, or an earlier level's).
bool IsLiveRobot(const GameObject* object)
{
    System* system = System::PeekInstance();
    return object && system && system->objectManager && system->objectManager->IsObjectInPlay(object) &&
           (object->flags & OBJ_ALIVE) && object->type == PLAYER;
}

const char* WinnerName(char winner) { return winner ? "player one" : "player two"; }

} // namespace

bool PlayerOnePadBackPressed()
{
    System* system = System::PeekInstance();
    const Controller* pad = system ? system->pad0 : nullptr;
    return pad && pad->m_keystroke.VirtualKey == Platform::VK_PAD_BACK &&
           pad->m_keystroke.Flags == Platform::XINPUT_KEYSTROKE_KEYDOWN;
}

bool BothPadsConnected() { return PadConnected(0) && PadConnected(1); }

TwoPlayerResult DecideTwoPlayerResult(const std::vector<GameObject*>& exits)
{
    TwoPlayerResult result;
    for (GameObject* object : exits) {
        auto* exit = object ? object->GetComponent<ExitComponent>() : nullptr;
        if (!exit) continue;
        result.hasExit = true;
        // Once one was reached, an exit nobody reached takes nothing away.
        if (result.reached && !exit->m_IsTriggered) continue;
        result.reached = exit->m_IsTriggered;
        result.winner = exit->m_IsMainPlayerReached ? 1 : 0;
    }
    return result;
}

void MultiplayerLevel::Init()
{
    System* system = System::GetInstance();
    // The previous level's robots are back in the pool by now.
    system->playerOne = nullptr;
    system->playerTwo = nullptr;
    m_OtherPlayer = nullptr;
    m_SkyBox = nullptr;
    m_MainSpawn = glm::vec3(0.0f);
    m_OtherSpawn = glm::vec3(0.0f);
    // Set before the objects start, so a controller wait sees it from its first update.
    ControllerWaitComponent::SetTwoPlayerLevel(true);
    if (system->camera) system->camera->Reset();

    const int id = LoadCurrentLevel();
    if (id < 0) return;
    FindRobots();
    LinkObjects();

    if (id != STATE_SPLASH) PlayLoopingMusic(LEVEL_MUSIC);
    m_LevelTime = 0.0;
    if (system->window) system->window->RescaleUIObjects();
}

void MultiplayerLevel::FindRobots()
{
    System* system = System::GetInstance();
    FindPlayers();
    m_OtherPlayer = system->playerTwo;
    if (system->playerOne) m_MainSpawn = system->playerOne->position;
    if (m_OtherPlayer) m_OtherSpawn = m_OtherPlayer->position;
    if (!system->playerOne) QRX_LOG_WARNING("The two-player level %s has no main player's robot.", m_LevelPath.c_str());
    if (!m_OtherPlayer) QRX_LOG_WARNING("The two-player level %s has no second robot.", m_LevelPath.c_str());
}

void MultiplayerLevel::Respawn(GameObject* robot, const glm::vec3& spawn)
{
    if (!IsLiveRobot(robot) || !IsBelowFallBoundary(robot->position)) return;
    robot->position = spawn;
    robot->flags &= ~OBJ_WORLD_VALID;
    // The fall's speed would carry it on through the floor in this frame's step.
    if (PhysicsComponent* body = GetPhysicsComponent(robot))
        body->velocity = glm::vec3(0.0f, PlayerComponent::GROUND_VELOCITY_Y, 0.0f);
    if (auto* player = robot->GetComponent<PlayerComponent>()) player->StartSpawnEffect(true);
}

void MultiplayerLevel::Update(GameStateManager& manager)
{
    const bool typing = BeginLevelFrame();
    System* system = System::GetInstance();

    Respawn(system->playerOne, m_MainSpawn);
    Respawn(m_OtherPlayer, m_OtherSpawn);

    DrawLevelHud(manager);

    if (!typing && (InputManager::IsTriggered(KEY_SKIP_LEVEL) || PlayerOnePadBackPressed())) {
        if (LevelManager* levels = manager.GetLevelManager()) levels->GoToNextLevel();
    }

    m_LevelTime += CappedFrameStep();

    const int id = manager.GetCurrentState();
    if (!typing && EscapeOpensPauseMenu(id) && EscapeTriggered()) manager.RequestState(STATE_PAUSEMENU);
    // A race needs both players: wait in the pause menu for the missing pad.
    if (!BothPadsConnected()) manager.RequestState(STATE_PAUSEMENU);
}

void MultiplayerLevel::RecordResult()
{
    System* system = System::GetInstance();
    Profile* profile = system->profileManager ? system->profileManager->GetCurrentProfile() : nullptr;
    if (!profile) return;
    const unsigned seconds = WholeSeconds(m_LevelTime);
    // The profile keeps an int; a time beyond its range is kept as its largest value.
    profile->lastLevelTime = seconds > static_cast<unsigned>(std::numeric_limits<int>::max())
                                 ? std::numeric_limits<int>::max()
                                 : static_cast<int>(seconds);

    TwoPlayerResult result;
    if (system->objectManager) result = DecideTwoPlayerResult(system->objectManager->GetObjectsWithComponent(CT_EXIT));
    if (!result.hasExit) {
        QRX_LOG_WARNING("The two-player level %s has no exit: no winner is recorded, %s stays the last winner.",
                        m_LevelPath.c_str(), WinnerName(profile->winner));
        return;
    }
    profile->winner = result.winner;
    if (result.reached)
        QRX_LOG_INFO("The two-player level is won by %s.", WinnerName(result.winner));
    else
        QRX_LOG_INFO("No robot reached the exit of %s: %s is recorded as the winner.", m_LevelPath.c_str(),
                     WinnerName(result.winner));
}

void MultiplayerLevel::Free()
{
    RecordResult();
    System* system = System::GetInstance();
    if (system->checkpointStore) system->checkpointStore->Clear();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    m_SkyBox = nullptr;
    m_OtherPlayer = nullptr;
    KillAllParticles();
    ControllerWaitComponent::SetTwoPlayerLevel(false);
}

} // namespace QRX
