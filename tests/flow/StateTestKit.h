// A small engine for the game-state tests: logger, file manager, object
// manager (GUI and text components, the game's own master objects), a fake
// sound system, a frame-rate controller whose frame time the test sets, and a
// game-state manager reachable through the System. The game's own level files
// under data/levels are read as the game reads them.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "engine/core/AudioManager.h"
#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "support/FakeAudio.h"
#include "support/TestEnv.h"

namespace QRX {
namespace TestSupport {

class StateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* system = System::GetInstance();
        system->flags = SYSTEM_RUNNING;
        system->logger = new Logger();
        system->fileManager = new FileManager();
        system->objectManager = new ObjectManager();
        RegisterComponentFactories();
        system->frameRateController = new FrameRateController();
        system->audioManager = new AudioManager();
        ASSERT_TRUE(system->audioManager->Init());
        system->gameStateManager = &gsm;
        ReleaseKeys();
    }
    void TearDown() override
    {
        ReleaseKeys();
        System* system = System::GetInstance();
        gsm.Shutdown();
        system->gameStateManager = nullptr;
        for (int k = 0; k < STATE_OBJECT_KIND_COUNT; ++k) BindStateObject(static_cast<StateObjectKind>(k), nullptr);
        system->objectManager->Shutdown();
        delete system->objectManager;
        system->objectManager = nullptr;
        system->audioManager->m_System->Release();
        delete system->audioManager;
        system->audioManager = nullptr;
        delete system->frameRateController;
        system->frameRateController = nullptr;
        delete system->fileManager;
        system->fileManager = nullptr;
        delete system->logger;
        system->logger = nullptr;
        System::DestroyInstance();
    }

    // Carries out a pending request, or updates the top state, with a frame time.
    void Frame(double dt = 1.0 / 64.0)
    {
        System::GetInstance()->frameRateController->dt = dt;
        gsm.Update();
    }
    // Asks for a state and carries the request out.
    void Go(int id)
    {
        gsm.RequestState(id);
        Frame();
        ASSERT_EQ(gsm.GetCurrentState(), id);
    }
    static void ReleaseKeys()
    {
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = InputManager::previous[k] = 0;
    }
    // A frame in which the key goes down (and is up again after it).
    void FrameWithKey(int key)
    {
        InputManager::current[key] = 1;
        Frame();
        ReleaseKeys();
    }
    // Live objects owned by a state (of one type, when given).
    size_t CountOwnedBy(int id, ObjectType type = OBJECTTYPE_ERRORVALUE)
    {
        size_t count = 0;
        for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects())
            if (o->stateId == id && (type == OBJECTTYPE_ERRORVALUE || o->type == type)) ++count;
        return count;
    }
    FakeAudioSystem* Audio() { return fakeAudio.Last(); }
    AudioManager* AudioMgr() { return System::GetInstance()->audioManager; }
    // Test-only level files, as a path relative to the level folder.
    static std::string TestLevel(const std::string& name) { return "../../tests/data/flow/levels/" + name; }

    ScopedTempHome home;
    ScopedFakeAudio fakeAudio;
    GameStateManager gsm;
};

} // namespace TestSupport
} // namespace QRX
