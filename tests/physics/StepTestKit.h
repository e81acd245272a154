// A System holding a logger, a file manager, a physics manager, an object
// manager whose masters come from tests/data/physics/step and a frame-rate
// controller whose frame time the test sets; every factory is registered,
// and a hook component (under CT_BLACKHOLE, the type that has no class of
// its own) records the collision notices.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/Component.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

namespace QRX {
namespace StepKit {

// Every notice of the step, as (object told, other object or null).
inline std::vector<std::pair<GameObject*, GameObject*>>& Notices()
{
    static std::vector<std::pair<GameObject*, GameObject*>> notices;
    return notices;
}

// Records its owner's collision notices and runs an optional action.
class HookComponent : public Component
{
public:
    HookComponent() : Component(CT_BLACKHOLE) {}
    void OnCollision(GameObject* other) override
    {
        Notices().emplace_back(owner, other);
        if (action) action(owner, other);
    }
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    std::function<void(GameObject*, GameObject*)> action;
};

inline std::string StepFolder() { return TestSupport::SourceDir() + "/tests/data/physics/step/"; }

class StepFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Notices().clear();
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
        system->physicsManager = new PhysicsManager();
        system->objectManager = new ObjectManager();
        system->frameRateController = new FrameRateController();
        physics = system->physicsManager;
        objects = system->objectManager;
        fm = system->fileManager;
        objects->SetObjectFolder(StepFolder());
        RegisterForceGeneratorFactories();
        RegisterSteerGeneratorFactories();
        RegisterComponentFactories();
        RegisterPrimitiveFactories();
        FactoryRegister<Component>(new Factory<Component, HookComponent>(CT_BLACKHOLE), objects->GetFactories());
        SetFrame(1.0 / 60.0);
    }
    void TearDown() override
    {
        Notices().clear();
        TestSupport::ReleaseSystem();
    }

    void SetFrame(double seconds) { System::GetInstance()->frameRateController->dt = seconds; }
    void Step(int count = 1)
    {
        for (int i = 0; i < count; ++i) physics->Update();
    }
    GameObject* Make(ObjectType type, const glm::vec3& position)
    {
        GameObject* object = objects->CreateInstance(type, position);
        EXPECT_NE(object, nullptr) << ObjectTypeToString(type);
        return object;
    }
    static PhysicsComponent* Body(GameObject* object) { return GetPhysicsComponent(object); }
    static CollisionComponent* Collision(GameObject* object) { return GetCollisionComponent(object); }
    static GravityForceGenerator* Gravity(GameObject* object)
    {
        PhysicsComponent* body = Body(object);
        return body ? dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY)) : nullptr;
    }
    static HookComponent* Hook(GameObject* object)
    {
        return dynamic_cast<HookComponent*>(object->AddComponentHelper(CT_BLACKHOLE));
    }
    static bool Awake(GameObject* object) { return (Body(object)->flags & BODY_AWAKE) != 0; }

    TestSupport::ScopedTempHome home;
    PhysicsManager* physics = nullptr;
    ObjectManager* objects = nullptr;
    FileManager* fm = nullptr;
};

} // namespace StepKit
} // namespace QRX
