#include "game/flow/StateCommon.h"

#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"

namespace QRX {

namespace {

ObjectManager* Objects()
{
    System* system = System::PeekInstance();
    return system ? system->objectManager : nullptr;
}

} // namespace

double CappedFrameTime(double frameTime)
{
    if (!(frameTime > 0.0)) return 0.0;
    return frameTime < MAX_FRAME_STEP ? frameTime : MAX_FRAME_STEP;
}

double CappedFrameStep()
{
    System* system = System::PeekInstance();
    if (!system || !system->frameRateController) return 0.0;
    return CappedFrameTime(system->frameRateController->dt);
}

int CurrentStateId()
{
    System* system = System::PeekInstance();
    return system && system->gameStateManager ? system->gameStateManager->GetCurrentState() : 0;
}

void PauseAllObjects()
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    for (GameObject* object : objects->GetAllObjects()) object->flags &= ~OBJ_ACTIVE;
}

void PauseCurrentStateObjects()
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    const int id = CurrentStateId();
    for (GameObject* object : objects->GetAllObjects())
        if (object->stateId == id) object->flags &= ~OBJ_ACTIVE;
}

void ResumeCurrentStateObjects()
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    const int id = CurrentStateId();
    for (GameObject* object : objects->GetAllObjects())
        if (object->stateId == id) object->flags |= OBJ_ACTIVE;
}

void UpdateCurrentStateObjects()
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    const int id = CurrentStateId();
    const std::vector<GameObject*> active = objects->GetActiveObjects();
    for (GameObject* object : active) {
        // An earlier update may have returned this one to the pool.
        if (!(object->flags & OBJ_ALIVE) || !(object->flags & OBJ_ACTIVE)) continue;
        if (object->stateId == id) object->UpdateComponents();
    }
}

void KillAllParticles()
{
    System* system = System::PeekInstance();
    if (!system || !system->renderer) return;
    if (ParticleSystem* particles = system->renderer->GetParticleSystem()) particles->KillAll();
}

void ReportUnopenableLevelFile(const std::string& path)
{
    QRX_LOG_ERROR("Unable to open file: %s, exiting game...", path.c_str());
    System::GetInstance()->StopRunning();
}

LevelManager* OpenCurrentScreenFile(const char* what)
{
    GameStateManager* states = System::GetInstance()->gameStateManager;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    if (!levels) {
        QRX_LOG_ERROR("Unable to load %s: no level manager.", what);
        return nullptr;
    }
    const std::string path = LevelManager::LEVEL_FOLDER + levels->GetLevelFileName(states->GetCurrentState());
    if (!levels->CanOpenLevelFile(path)) {
        ReportUnopenableLevelFile(path);
        return nullptr;
    }
    return levels;
}

void PlayLoopingMusic(const std::string& name)
{
    System* system = System::PeekInstance();
    AudioManager* audio = system ? system->audioManager : nullptr;
    if (!audio || !audio->m_System) return;
    if (audio->m_MusicChannel) audio->m_MusicChannel->Stop();

    auto found = audio->m_Sounds.find(name);
    if (found == audio->m_Sounds.end()) {
        QRX_LOG_WARNING("Music %s is not loaded; no music plays.", name.c_str());
        return;
    }
    Platform::AudioChannel* channel = nullptr;
    Platform::AudioResult result = audio->m_System->PlaySound(Platform::AUDIO_CHANNEL_FREE, found->second, &channel);
    if (result != Platform::AUDIO_OK || !channel) {
        QRX_LOG_WARNING("Unable to play the music %s: %s", name.c_str(), Platform::AudioResultText(result));
        return;
    }
    channel->SetMode(Platform::AUDIO_LOOP_NORMAL);
    channel->SetVolume(audio->m_MusicVolume);
    // Music switched off stays off on its new channel.
    if (audio->m_MusicOff) channel->SetMute(true);
    audio->m_MusicChannel = channel;
    audio->m_MusicName = name;
}

bool IsMusicPlaying()
{
    System* system = System::PeekInstance();
    AudioManager* audio = system ? system->audioManager : nullptr;
    if (!audio || !audio->m_MusicChannel) return false;
    bool playing = false;
    audio->m_MusicChannel->IsPlaying(&playing);
    return playing;
}

bool EscapeTriggered()
{
    if (InputManager::IsTriggered(KEY_ESCAPE)) return true;
    System* system = System::PeekInstance();
    InputInterpreter* interpreter = system ? system->inputInterpreter : nullptr;
    return interpreter && interpreter->GetBinding(ACTION_ESCAPE).IsTriggered(ACTION_ESCAPE);
}

} // namespace QRX
