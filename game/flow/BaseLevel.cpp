#include "game/flow/BaseLevel.h"

#include <cmath>
#include <iostream>
#include <limits>

#include "engine/core/AudioManager.h"
#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/DeveloperTools.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/LevelScore.h"
#include "game/flow/Map.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/StateCommon.h"
#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/PlayerComponent.h"

namespace QRX {

namespace {

const glm::vec4 HUD_WHITE(1.0f, 1.0f, 1.0f, 1.0f);

// The letter C skips to the next level.
constexpr int KEY_SKIP_LEVEL = KEY_A + ('C' - 'A');

bool IsSplash(int stateId) { return stateId == STATE_SPLASH || stateId == STATE_SPLASH_CONTROLLER; }

// Player one's escape action (Escape or the pad's Back by default).
bool EscapeActionTriggered()
{
    InputInterpreter* interpreter = System::GetInstance()->inputInterpreter;
    return interpreter && interpreter->GetBinding(ACTION_ESCAPE).IsTriggered(ACTION_ESCAPE);
}

// A mouse button, Escape, Enter or Space went down this frame, the escape
// action triggered, or pad 0 is connected and its keystroke of this frame is
// a press of A or Start.
bool SplashSkipPressed()
{
    for (int key : {KEY_LBUTTON, KEY_RBUTTON, KEY_ESCAPE, KEY_RETURN, KEY_SPACE})
        if (InputManager::IsTriggered(key)) return true;
    if (EscapeActionTriggered()) return true;

    Controller* pad = System::GetInstance()->pad0;
    if (!pad) return false;
    Platform::XINPUT_STATE state{};
    if (Platform::XInputGetState(pad->m_userIndex, &state) != Platform::ERROR_SUCCESS) return false;
    const Platform::XINPUT_KEYSTROKE& stroke = pad->m_keystroke;
    return stroke.Flags == Platform::XINPUT_KEYSTROKE_KEYDOWN &&
           (stroke.VirtualKey == Platform::VK_PAD_A || stroke.VirtualKey == Platform::VK_PAD_START);
}

} // namespace

unsigned WholeSeconds(double time)
{
    if (!(time > 0.0)) return 0;
    const double largest = static_cast<double>(std::numeric_limits<unsigned>::max());
    if (time >= largest) return std::numeric_limits<unsigned>::max();
    return static_cast<unsigned>(time);
}

char GradeLevelTime(unsigned seconds, const LevelScoreTimes* times)
{
    if (!times) return GRADE_NONE;
    if (seconds <= times->gradeA) return 'A';
    if (seconds <= times->gradeB) return 'B';
    return 'C';
}

std::string LevelNameFromFile(const std::string& fileName) { return fileName.substr(0, fileName.find('.')); }

bool IsBelowFallBoundary(const glm::vec3& position) { return position.y < FALL_BOUNDARY_Y; }

bool ShowsLevelHud(int stateId) { return !IsSplash(stateId); }

bool EscapeOpensPauseMenu(int stateId) { return stateId >= STATE_LEVEL1 && stateId <= STATE_FREELOAD; }

int SplashStep(int stateId, double levelTime, bool skipPressed, std::ostream& out)
{
    if (!IsSplash(stateId)) return STATE_NONE;
    int request = STATE_NONE;
    if (skipPressed) {
        out << "Someone told me to skip splash!\n";
        request = STATE_LOADING;
    }
    if (levelTime > SPLASH_DURATION) {
        out << "Automatic skip splash after " << levelTime << " secs.\n";
        request = stateId == STATE_SPLASH ? STATE_SPLASH_CONTROLLER : STATE_LOADING;
    }
    return request;
}

std::string LevelFilePath(int stateId, const LevelManager& levels)
{
    if (stateId == STATE_FREELOAD || stateId == STATE_FREELOADNEXT)
        return std::string(LevelManager::LEVEL_FOLDER) + levels.GetFreeLoadPath();
    return std::string(LevelManager::LEVEL_FOLDER) + levels.GetCurrentLevelEntry().fileName;
}

void BaseLevel::Load()
{
    System* system = System::GetInstance();
    if (system->objectManager) system->objectManager->RefillPool();
    // The console's objects outlive every level; made first, they show what
    // the loading below reports.
    LoadDeveloperConsole();

    GameStateManager* states = system->gameStateManager;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    if (!levels) {
        QRX_LOG_ERROR("Unable to load a level: no level manager.");
        return;
    }
    m_LevelPath = LevelFilePath(states->GetCurrentState(), *levels);
    if (!levels->CanOpenLevelFile(m_LevelPath)) {
        // Nothing of this file can be read: stop here and let the game end.
        ReportUnopenableLevelFile(m_LevelPath);
        return;
    }

    unsigned readRow = 0, readCol = 0, readHeight = 0;
    system->fileManager->ReadMap(readRow, readCol, readHeight);
    if (readRow == 0 || readCol == 0 || readHeight == 0) {
        QRX_LOG_ERROR("Degenerate map! Please make sure the row/column/height is NOT 0!");
        QRX_ASSERT((readRow > 0 && readCol > 0 && readHeight > 0), 2, "Degenerate map!");
        return;
    }
    Map* map = levels->GetMap();
    if (map && map->SetSize(readRow, readCol, readHeight)) map->AllocateCells();
}

void BaseLevel::Init()
{
    System* system = System::GetInstance();
    // The previous level's robots are back in the pool by now.
    system->playerOne = nullptr;
    system->playerTwo = nullptr;
    m_SkyBox = nullptr;
    if (system->camera) system->camera->Reset();

    const int id = LoadCurrentLevel();
    if (id < 0) return;
    CreateStarField();
    FindPlayers();
    LinkObjects();

    StartMusic(id);
    m_LevelTime = 0.0;
    if (system->window) system->window->RescaleUIObjects();
}

int BaseLevel::LoadCurrentLevel()
{
    GameStateManager* states = System::GetInstance()->gameStateManager;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    if (!levels) {
        QRX_LOG_ERROR("Unable to start a level: no level manager.");
        return -1;
    }
    const int id = states->GetCurrentState();
    m_LevelPath = LevelFilePath(id, *levels);
    if (!levels->CanOpenLevelFile(m_LevelPath)) {
        ReportUnopenableLevelFile(m_LevelPath);
        return -1;
    }
    levels->LoadLevelObjects(true);
    CreateSkyBox(id);
    return id;
}

void BaseLevel::CreateSkyBox(int stateId)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!objects) return;
    m_SkyBox = objects->CreatePlacedInstance(SKYBOX, glm::vec3(0.0f), 1, stateId);
    if (!m_SkyBox) return;
    m_SkyBox->flags &= ~OBJ_WORLD_VALID;
    if (auto* graphics = static_cast<GraphicsComponent*>(m_SkyBox->GetComponent(CT_GRAPHICS)))
        graphics->SetOpacity(1.0f);
}

void BaseLevel::CreateStarField()
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!objects) return;
    GameObject* emitterObject = objects->CreateInstance(PARTICLEEMITTER, glm::vec3(0.0f));
    if (!emitterObject) return;
    emitterObject->flags &= ~OBJ_WORLD_VALID;
    auto* emitter = static_cast<ParticleEmitter*>(emitterObject->GetComponent(CT_PARTICLEEMITTER));
    if (!emitter) {
        QRX_LOG_WARNING("The particle emitter object has no emitter; the level has no star field.");
        return;
    }
    // One round of stars that live for the whole level; the emitter then goes.
    emitter->m_active = false;
    emitter->m_pattern = PARTICLE_STAR;
    emitter->m_direction = glm::vec3(0.0f);
    emitter->m_count = STAR_FIELD_COUNT;
}

void BaseLevel::FindPlayers()
{
    System* system = System::GetInstance();
    if (!system->objectManager) return;
    const GameObjectGroup players = system->objectManager->GetObjectsWithComponent(CT_PLAYER);
    PlayerComponent* last = nullptr;
    for (GameObject* object : players) {
        auto* player = object->GetComponent<PlayerComponent>();
        if (!player) continue;
        if (player->m_IsMainPlayer) system->playerOne = object;
        else system->playerTwo = object;
        last = player;
    }
    // The HUD icons are shared: the last robot visited drives them.
    if (last) last->LinkPowerIcons();
}

void BaseLevel::LinkObjects()
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    if (!objects) return;
    // A copy: the trigger search queries the manager again.
    const GameObjectGroup spawners = objects->GetObjectsWithComponent(CT_CRATESPAWNERCOMPONENT);
    for (GameObject* object : spawners) {
        if (auto* spawner = object->GetComponent<CrateSpawnerComponent>())
            spawner->FindTriggers();
    }
    const GameObjectGroup doors = objects->GetObjectsWithComponent(CT_DOOR);
    for (GameObject* object : doors) {
        if (auto* door = object->GetComponent<DoorComponent>()) door->FindSwitches();
    }
    const GameObjectGroup bridges = objects->GetObjectsWithComponent(CT_BRIDGE);
    for (GameObject* object : bridges) {
        if (auto* bridge = object->GetComponent<BridgeComponent>()) bridge->FindTriggers();
    }
}

void BaseLevel::StartMusic(int stateId)
{
    if (stateId == STATE_SPLASH) return;
    if (stateId != STATE_SPLASH_CONTROLLER) {
        PlayLoopingMusic(LEVEL_MUSIC);
        return;
    }
    if (IsMusicPlaying()) return;
    System* system = System::GetInstance();
    if (system->audioManager) system->audioManager->LoadStream(MENU_MUSIC);
    PlayLoopingMusic(MENU_MUSIC);
}

void BaseLevel::Pause()
{
    PauseAllObjects();
    // The screen pushed over the level shows nothing of its heads-up display.
    m_HiddenScreenObjects.clear();
    System* system = System::GetInstance();
    if (!system->objectManager) return;
    const int id = CurrentStateId();
    for (GameObject* object : system->objectManager->GetAllObjects())
        if (object->stateId == id && object->GetComponent(CT_GUI) && !(object->flags & OBJ_SKIP_DRAW)) {
            object->flags |= OBJ_SKIP_DRAW;
            m_HiddenScreenObjects.emplace_back(object);
        }
}

void BaseLevel::Resume()
{
    ResumeCurrentStateObjects();
    for (GameObjectHandle& hidden : m_HiddenScreenObjects)
        if (hidden.Refresh()) hidden.object->flags &= ~OBJ_SKIP_DRAW;
    m_HiddenScreenObjects.clear();
}

bool BaseLevel::BeginLevelFrame()
{
    // While the console has the keyboard the level's own keys wait.
    const bool typing = RunDeveloperFrame(PickTarget::WorldObjects, KEY_LBUTTON);
    UpdateCurrentStateObjects();
    return typing;
}

void BaseLevel::Update(GameStateManager& manager)
{
    const bool typing = BeginLevelFrame();
    CheckFall(manager);

    const int id = manager.GetCurrentState();
    if (ShowsLevelHud(id)) DrawLevelHud(manager);

    if (!typing && InputManager::IsTriggered(KEY_SKIP_LEVEL)) {
        if (LevelManager* levels = manager.GetLevelManager()) levels->GoToNextLevel();
    }

    m_LevelTime += CappedFrameStep();

    if (IsSplash(id)) {
        int request = SplashStep(id, m_LevelTime, !typing && SplashSkipPressed(), std::cout);
        if (request != STATE_NONE) manager.RequestState(request);
    } else if (!typing && EscapeOpensPauseMenu(id) &&
               (InputManager::IsTriggered(KEY_ESCAPE) || EscapeActionTriggered())) {
        manager.RequestState(STATE_PAUSEMENU);
    }
}

void BaseLevel::CheckFall(GameStateManager& manager)
{
    GameObject* player = System::GetInstance()->playerOne;
    // A slot whose object went back to the pool holds no robot.
    if (!player || !(player->flags & OBJ_ALIVE)) return;
    if (!IsBelowFallBoundary(player->position)) return;
    QRX_LOG_INFO("The robot fell out of the level at %s", PositionText(player->position).c_str());
    CheckpointStore* checkpoints = System::GetInstance()->checkpointStore;
    if (checkpoints && checkpoints->HasCheckpoint()) {
        checkpoints->Restore();
        QRX_LOG_INFO("Using checkpoint since player position less than -5.f");
        return;
    }
    QRX_LOG_INFO("Restarting since player position less than -5.f");
    manager.RequestState(STATE_GAMERETRYMENU);
}

void BaseLevel::DrawLevelHud(const GameStateManager& manager)
{
    FontManager* fonts = System::GetInstance()->fontManager;
    LevelManager* levels = manager.GetLevelManager();
    if (!fonts || !levels) return;
    fonts->AddText(FontManager::POSITION_TOP_LEFT, LevelNameFromFile(levels->GetCurrentLevelEntry().fileName),
                   LEVEL_NAME_X, LEVEL_HUD_Y, LEVEL_HUD_FONT, HUD_WHITE);
    Window* window = System::GetInstance()->window;
    if (!window) return;
    fonts->AddText(FontManager::POSITION_TOP_LEFT, std::to_string(WholeSeconds(m_LevelTime)),
                   static_cast<float>(window->GetWidth()) / 2.0f, LEVEL_HUD_Y, LEVEL_HUD_FONT, HUD_WHITE);
}

void BaseLevel::GradeLevel()
{
    System* system = System::GetInstance();
    Profile* profile = system->profileManager ? system->profileManager->GetCurrentProfile() : nullptr;
    if (!profile) return;
    const unsigned seconds = WholeSeconds(m_LevelTime);
    LevelScoreTimes times;
    const LevelScoreTimes* found = nullptr;
    if (system->objectManager) {
        for (GameObject* object : system->objectManager->GetActiveObjectsWithComponent(CT_LEVELSCORE)) {
            if (auto* score = object->GetComponent<LevelScore>()) {
                times = LevelScoreTimes{score->gradeATime, score->gradeBTime};
                found = &times;
                break;
            }
        }
    }
    // The profile keeps an int; a time beyond its range is kept as its largest value.
    profile->lastLevelTime = seconds > static_cast<unsigned>(std::numeric_limits<int>::max())
                                 ? std::numeric_limits<int>::max()
                                 : static_cast<int>(seconds);
    profile->grade = GradeLevelTime(seconds, found);
}

void BaseLevel::Free()
{
    GradeLevel();
    System* system = System::GetInstance();
    if (system->checkpointStore) system->checkpointStore->Clear();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    m_SkyBox = nullptr;
    KillAllParticles();
}

void BaseLevel::Unload()
{
    System* system = System::GetInstance();
    if (system->inputManager) system->inputManager->ReleasePickedObject();
    CloseObjectPanel();
    HideDeveloperHelp(false);
    if (system->objectManager) system->objectManager->ClearLevelObjects();
    if (system->fileManager && !m_LevelPath.empty()) system->fileManager->CloseFile(m_LevelPath);
    KillAllParticles();
}

} // namespace QRX
