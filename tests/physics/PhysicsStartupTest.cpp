// The physics manager in the engine's start-up (step 15, generator factories
// at step 17) and shut-down (step 6, after the objects), and bodies made from
// a master object through the registered factories.
#include <gtest/gtest.h>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"
#include "support/FakeAudio.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

class PhysicsStartupTest : public ::testing::Test
{
protected:
    // Later start-up steps load textures, which need a current context.
    void SetUp() override
    {
        static TestSupport::GLTestContext context;
        ASSERT_TRUE(context.Ok()) << context.Error();
        context.MakeCurrent();
    }
    void TearDown() override
    {
        if (System* s = System::PeekInstance()) {
            s->Shutdown();
            System::DestroyInstance();
        }
    }
    TestSupport::ScopedTempHome m_home;
    TestSupport::ScopedFakeAudio m_fake;
};

TEST_F(PhysicsStartupTest, StartsBeforeTheObjectsWithItsFactoriesAndStopsAfterThem)
{
    System* system = System::GetInstance();
    ASSERT_TRUE(system->Initialize());
    PhysicsManager* physics = system->physicsManager;
    ASSERT_NE(physics, nullptr);
    EXPECT_EQ(physics->GetForceGeneratorFactories().size(), 2u);
    EXPECT_EQ(physics->GetForceGeneratorFactories().count(FG_GRAVITY), 1u);
    EXPECT_EQ(physics->GetForceGeneratorFactories().count(FG_DRAG), 1u);
    EXPECT_EQ(physics->GetSteerGeneratorFactories().count(SG_SEEK), 1u);
    EXPECT_EQ(physics->GetSteerGeneratorFactories().count(SG_ARRIVE), 1u);
    EXPECT_EQ(system->objectManager->GetFactories().count(CT_PHYSICS), 1u);
    EXPECT_EQ(system->objectManager->GetFactories().count(CT_COLLISION), 1u);
    const FactoryMap<Primitive>& primitives = physics->GetPrimitiveFactories();
    EXPECT_EQ(primitives.size(), 3u);
    EXPECT_EQ(primitives.count(PR_SPHERE) + primitives.count(PR_BOX) + primitives.count(PR_PLANE), 3u);

    // A body made from its master gets its own copies of the generators.
    system->objectManager->SetObjectFolder(TestSupport::SourceDir() + "/tests/data/physics/");
    GameObject* crate = system->objectManager->CreateInstance(CRATE, glm::vec3(1.0f, 2.0f, 3.0f));
    ASSERT_NE(crate, nullptr);
    auto* body = dynamic_cast<PhysicsComponent*>(crate->GetComponent(CT_PHYSICS));
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->owner, crate);
    EXPECT_EQ(body->inverseMass, 1.0f);
    auto* gravity = dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY));
    ASSERT_NE(gravity, nullptr);
    EXPECT_EQ(gravity->gravity, glm::vec3(0.0f, -20.0f, 0.0f));
    ASSERT_NE(body->GetForceGenerator(FG_DRAG), nullptr);

    GameObject* master = system->objectManager->GetMasterObject(CRATE);
    ASSERT_NE(master, nullptr);
    auto* masterBody = dynamic_cast<PhysicsComponent*>(master->GetComponent(CT_PHYSICS));
    ASSERT_NE(masterBody, nullptr);
    gravity->gravity.y = -5.0f;
    EXPECT_EQ(dynamic_cast<GravityForceGenerator*>(masterBody->GetForceGenerator(FG_GRAVITY))->gravity.y, -20.0f);

    std::string path = system->logger->GetPath();
    system->Shutdown();
    EXPECT_EQ(system->physicsManager, nullptr);

    std::string page = TestSupport::ReadFile(path);
    size_t textures = page.find("Graphics system initialized.");
    size_t physicsLine = page.find("Physics manager initialized.");
    size_t objects = page.find("Object manager initialized.");
    ASSERT_NE(physicsLine, std::string::npos);
    EXPECT_LT(textures, physicsLine);
    EXPECT_LT(physicsLine, objects);
    EXPECT_EQ(page.find("Failed Condition"), std::string::npos);
}

TEST_F(PhysicsStartupTest, TheFrameStepsPhysicsUnlessTheEditorIsLoaded)
{
    System* system = System::GetInstance();
    ASSERT_TRUE(system->Initialize());
    system->objectManager->SetObjectFolder(TestSupport::SourceDir() + "/tests/data/physics/step/");
    GameObject* crate = system->objectManager->CreateInstance(CRATE, glm::vec3(0.0f, 50.0f, 0.0f));
    ASSERT_NE(crate, nullptr);
    auto* collision = dynamic_cast<CollisionComponent*>(crate->GetComponent(CT_COLLISION));
    ASSERT_NE(collision, nullptr);
    ASSERT_NE(collision->GetPrimitive(), nullptr);

    system->flags |= SYSTEM_EDITOR_A | SYSTEM_EDITOR_B;
    system->Update();
    EXPECT_EQ(crate->position.y, 50.0f);

    // Either bit alone does not suspend it.
    system->flags &= ~SYSTEM_EDITOR_B;
    system->Update();
    EXPECT_LT(crate->position.y, 50.0f);
    EXPECT_EQ(collision->GetPrimitive()->GetCentre(), crate->position);
    const float y = crate->position.y;
    system->flags &= ~SYSTEM_EDITOR_A;
    system->flags |= SYSTEM_EDITOR_B;
    system->Update();
    EXPECT_LT(crate->position.y, y);
}

} // namespace
