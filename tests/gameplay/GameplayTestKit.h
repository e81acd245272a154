// A windowless engine for the gameplay component tests: logger, file
// manager, physics and object managers with every factory registered and the
// game's own master objects (test masters may be loaded over them), a fake
// sound system, the input bindings of data/mappings.xml, a camera, the
// checkpoint store and a game-state manager that starts only when a test
// asks. Every frame measures exactly FRAME seconds.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/EngineDoor.h"
#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/GameplayCommon.h"
#include "support/EngineFixture.h"
#include "support/FakeAudio.h"
#include "support/TestEnv.h"
#include "tools/ProgramParts.h"

namespace QRX {
namespace GameplayKit {

constexpr double FRAME = 1.0 / 32.0;

inline std::string GameplayData() { return TestSupport::SourceDir() + "/tests/data/gameplay/"; }

// Answers the object manager's state questions (through the door) as the
// test sets them.
struct ScriptedStates
{
    int id = STATE_FREELOAD;
    bool updating = false;
};

class GameplayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ReleaseKeys();
        System* system = System::GetInstance();
        system->flags = SYSTEM_RUNNING;
        system->logger = new Logger();
        Logger::SetDialogAvailableOverride(0);
        system->fileManager = new FileManager();
        system->physicsManager = new PhysicsManager();
        system->objectManager = new ObjectManager();
        system->frameRateController = new FrameRateController();
        system->frameRateController->dt = FRAME;
        system->audioManager = new AudioManager();
        ASSERT_TRUE(system->audioManager->Init());
        system->inputInterpreter = new InputInterpreter();
        system->inputInterpreter->Init();
        system->checkpointStore = new CheckpointStore();
        system->camera = &camera;
        objects = system->objectManager;
        physics = system->physicsManager;
        store = system->checkpointStore;
        Door().currentState = [this]() { return states.id; };
        Door().stateUpdating = [this]() { return states.updating; };
        RegisterForceGeneratorFactories();
        RegisterSteerGeneratorFactories();
        RegisterComponentFactories();
        RegisterPrimitiveFactories();
    }
    void TearDown() override
    {
        ReleaseKeys();
        System* system = System::GetInstance();
        if (system->gameStateManager) {
            gsm.Shutdown();
            system->gameStateManager = nullptr;
        }
        system->camera = nullptr;
        if (system->audioManager && system->audioManager->m_System) {
            system->audioManager->m_System->Release();
            system->audioManager->m_System = nullptr;
        }
        Logger::SetDialogAvailableOverride(-1);
        TestSupport::ReleaseSystem();
        InstallProgramParts();
    }

    // Loads a test master over the game's master of its type (before any
    // object of that type exists).
    void UseTestMaster(const std::string& file)
    {
        ASSERT_NE(objects->LoadObject(GameplayData() + "objects/" + file), nullptr) << file;
    }
    GameObject* Make(ObjectType type, const glm::vec3& position)
    {
        GameObject* object = objects->CreateInstance(type, position);
        EXPECT_NE(object, nullptr) << ObjectTypeToString(type);
        if (CollisionComponent* collision = GetCollisionComponent(object))
            if (collision->GetPrimitive()) collision->UpdatePrimitive();
        return object;
    }
    // Takes every free slot of the pool; later creations give null.
    void FillPool()
    {
        while (objects->CreateInstanceHelper(CRATEHOLOGRAM, true)) {
        }
    }
    // Every component update of the active objects, as a level's update
    // runs them (on a copy of the active list), with objects made meanwhile
    // initialised at once.
    void UpdateObjects()
    {
        states.updating = true;
        const GameObjectGroup active = objects->GetActiveObjects();
        for (GameObject* object : active)
            if (object->flags & OBJ_ALIVE) object->UpdateComponents();
        states.updating = false;
    }
    // One frame without the game-state manager: updates, the destroy pass,
    // the physics step, then the input sample.
    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ApplyKeys();
            UpdateObjects();
            objects->Update();
            physics->Update();
            EndInputFrame();
        }
    }

    // The game-state manager with its splash state, as the engine starts it.
    void StartStates()
    {
        System::GetInstance()->gameStateManager = &gsm;
        InstallProgramParts();
        ASSERT_TRUE(gsm.Initialize());
    }
    // A test level under tests/data/gameplay/levels, loaded as the free load.
    void LoadLevel(const std::string& file)
    {
        gsm.GetLevelManager()->SetFreeLoadPath("../../tests/data/gameplay/levels/" + file);
        gsm.RequestState(STATE_FREELOAD);
        Frame();
        ASSERT_EQ(gsm.GetCurrentState(), STATE_FREELOAD);
    }
    // One whole frame with the game-state manager, in the engine's order.
    void Frame(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ApplyKeys();
            gsm.Update();
            objects->Update();
            physics->Update();
            EndInputFrame();
        }
    }

    // Keys held from the next frame on (all others up).
    void Hold(std::initializer_list<int> keys) { held.assign(keys.begin(), keys.end()); }
    void ReleaseAll() { held.clear(); }
    static void ReleaseKeys()
    {
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = InputManager::previous[k] = 0;
    }
    void ApplyKeys()
    {
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = 0;
        for (int k : held) InputManager::current[k] = 1;
    }
    static void EndInputFrame()
    {
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::previous[k] = InputManager::current[k];
    }

    // Live objects of a type, in id order.
    std::vector<GameObject*> All(ObjectType type)
    {
        std::vector<GameObject*> found;
        for (GameObject* object : objects->GetAllObjects())
            if (object->type == type) found.push_back(object);
        return found;
    }
    static bool Marked(const GameObject* object) { return (object->flags & OBJ_DESTROY) != 0; }
    static PhysicsComponent* Body(const GameObject* object) { return GetPhysicsComponent(object); }
    static GraphicsComponent* Graphics(const GameObject* object) { return GetGraphicsComponent(object); }
    std::string LogPage() const { return TestSupport::ReadFile(System::GetInstance()->logger->GetPath()); }
    TestSupport::FakeAudioSystem* Audio() { return fakeAudio.Last(); }

    TestSupport::ScopedTempHome home;
    TestSupport::ScopedFakeAudio fakeAudio;
    ScriptedStates states;
    GameStateManager gsm;
    Camera camera;
    std::vector<int> held;
    ObjectManager* objects = nullptr;
    PhysicsManager* physics = nullptr;
    CheckpointStore* store = nullptr;
};

} // namespace GameplayKit
} // namespace QRX
