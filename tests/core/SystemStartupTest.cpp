// The engine as a whole: every manager starts in its step with its report
// line, the frame steps reach the managers, and shut-down releases them all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/Controller.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/MeshManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"
#include "engine/platform/VirtualKeys.h"
#include "support/EngineFixture.h"

using namespace QRX;
using TestSupport::FakeAudioSystem;

namespace {

// The lines appear in this order (other lines may come between them).
void ExpectInOrder(const std::string& text, const std::vector<std::string>& lines)
{
    size_t at = 0;
    for (const std::string& line : lines) {
        size_t next = text.find(line, at);
        ASSERT_NE(next, std::string::npos) << "missing or out of order: " << line;
        at = next + line.size();
    }
}

class SystemStartupTest : public TestSupport::EngineTest
{
};

TEST_F(SystemStartupTest, ManagersStartInOrderAndShutDownReleasesThemAll)
{
    System* s = System::GetInstance();
    ASSERT_TRUE(s->Initialize());
    const std::string path = s->logger->GetPath();

    ASSERT_NE(s->pad0, nullptr);
    ASSERT_NE(s->pad1, nullptr);
    EXPECT_EQ(s->pad0->m_userIndex, 0u);
    EXPECT_EQ(s->pad1->m_userIndex, 1u);
    ASSERT_NE(s->inputInterpreter, nullptr);
    EXPECT_EQ(s->inputInterpreter->GetBindingCount(), 28);
    EXPECT_EQ(s->inputInterpreter->GetBinding(14).m_pad, s->pad1);
    ASSERT_NE(s->meshManager->FindMesh("error"), nullptr);
    EXPECT_EQ(s->meshManager->FindMesh("error")->indexCount, 72u);
    EXPECT_EQ(s->fontManager->GetFontCount(), 6u);
    EXPECT_EQ(s->objectManager->GetPool().size(), OBJECT_POOL_SIZE);
    EXPECT_NE(s->checkpointStore, nullptr);

    PhysicsManager* physics = s->physicsManager;
    ASSERT_NE(physics, nullptr);
    EXPECT_EQ(physics->GetForceGeneratorFactories().size(), 2u);
    EXPECT_EQ(physics->GetForceGeneratorFactories().count(FG_GRAVITY), 1u);
    EXPECT_EQ(physics->GetForceGeneratorFactories().count(FG_DRAG), 1u);
    EXPECT_EQ(physics->GetSteerGeneratorFactories().count(SG_SEEK), 1u);
    EXPECT_EQ(physics->GetSteerGeneratorFactories().count(SG_ARRIVE), 1u);
    EXPECT_EQ(s->objectManager->GetFactories().count(CT_PHYSICS), 1u);
    EXPECT_EQ(s->objectManager->GetFactories().count(CT_COLLISION), 1u);
    const FactoryMap<Primitive>& primitives = physics->GetPrimitiveFactories();
    EXPECT_EQ(primitives.size(), 3u);
    EXPECT_EQ(primitives.count(PR_SPHERE) + primitives.count(PR_BOX) + primitives.count(PR_PLANE), 3u);

    FakeAudioSystem* fake = m_fake.Last();
    ASSERT_NE(fake, nullptr);
    testing::internal::CaptureStdout();
    s->Shutdown();
    const std::string out = testing::internal::GetCapturedStdout();
    for (void* member : {static_cast<void*>(s->audioManager), static_cast<void*>(s->inputManager),
                         static_cast<void*>(s->pad0), static_cast<void*>(s->pad1),
                         static_cast<void*>(s->inputInterpreter), static_cast<void*>(s->binaryFileManager),
                         static_cast<void*>(s->meshManager), static_cast<void*>(s->fontManager),
                         static_cast<void*>(s->physicsManager), static_cast<void*>(s->objectManager),
                         static_cast<void*>(s->checkpointStore)})
        EXPECT_EQ(member, nullptr);
    EXPECT_TRUE(fake->released);
    ASSERT_GE(fake->calls.size(), 2u);
    EXPECT_EQ(fake->calls[fake->calls.size() - 2], "MasterStop");
    EXPECT_EQ(fake->calls.back(), "Release");
    EXPECT_NE(out.find("Releasing all meshes including default mesh"), std::string::npos);

    const std::string page = TestSupport::ReadFile(path);
    ExpectInOrder(page, {"Logging system initialized.", "File manager initialized.", "Input manager initialized.",
                         "Controller manager initialized.", "Controller manager initialized.",
                         "Audio manager initialized.", "Controller manager initialized.",
                         "Binary file manager initialized.", "Retrieving required graphics information...",
                         "Graphics system initialized.", "Font loaded: data\\fonts\\", "Shaders setup completed.",
                         "Physics manager initialized.", "Object manager initialized.",
                         "Frame rate controller initialized.",
                         // shut-down
                         "Releasing all meshes except default mesh",
                         "Releasing all textures except default textures"});
    EXPECT_EQ(page.find("Unable to open mappings.xml"), std::string::npos);
    EXPECT_EQ(page.find("Failed Condition"), std::string::npos);
}

TEST_F(SystemStartupTest, FrameStepsReachTheManagers)
{
    System* s = System::GetInstance();
    ASSERT_TRUE(s->Initialize());
    FakeAudioSystem* fake = m_fake.Last();
    ASSERT_NE(fake, nullptr);

    // Object step: what was marked is removed; audio step: one update a frame.
    s->objectManager->SetObjectFolder(TestSupport::SourceDir() + "/tests/data/objects/");
    GameObject* o = s->objectManager->CreateInstance(DEFAULT, glm::vec3(0.0f));
    ASSERT_NE(o, nullptr);
    o->flags |= OBJ_DESTROY;
    const int updates = fake->updates;
    s->Update();
    EXPECT_FALSE(s->objectManager->IsObjectInPlay(o));  // the splash screen's objects stay
    EXPECT_EQ(fake->updates, updates + 1);

    // Input step moves the key states on; Alt alone keeps running, Alt+F4 ends.
    s->inputManager->KeyDown(Platform::VK_MENU);
    s->Update();
    EXPECT_TRUE(s->IsRunning());
    EXPECT_EQ(InputManager::previous[KEY_ALT], 1);
    s->inputManager->KeyUp(Platform::VK_MENU);
    s->inputManager->KeyDown(Platform::VK_F1 + 3);
    s->Update();
    EXPECT_TRUE(s->IsRunning());
    s->inputManager->KeyDown(Platform::VK_MENU);
    s->Update();
    EXPECT_FALSE(s->IsRunning());
    EXPECT_NE(TestSupport::ReadFile(s->logger->GetPath()).find("Quit requested: Alt+F4"), std::string::npos);
}

TEST_F(SystemStartupTest, FailedSoundEndsTheStart)
{
    m_fake.failInit = true;
    System* system = System::GetInstance();
    EXPECT_FALSE(system->Initialize());
    std::string path = system->logger->GetPath();
    EXPECT_EQ(system->frameRateController, nullptr);  // nothing after the audio step
    system->Shutdown();
    EXPECT_TRUE(m_fake.Last()->released);

    std::string page = TestSupport::ReadFile(path);
    EXPECT_NE(page.find("<strong>WARNING</strong></span> - Sound failed to initialize"), std::string::npos);
    EXPECT_EQ(page.find("Audio manager initialized."), std::string::npos);
}

TEST_F(SystemStartupTest, BodiesFromAMasterGetTheirOwnGenerators)
{
    System* system = System::GetInstance();
    ASSERT_TRUE(system->Initialize());
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
}

TEST_F(SystemStartupTest, TheFrameStepsPhysicsUnlessTheEditorIsLoaded)
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
