// The object manager in the engine's start-up (step 16), frame (step 6) and
// shut-down (step 5).
#include <gtest/gtest.h>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "support/EngineFixture.h"
#include "support/FakeAudio.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

class ObjectStartupTest : public TestSupport::EngineTest
{
};

TEST_F(ObjectStartupTest, StartsAfterTheTexturesRunsFramesAndShutsDown)
{
    System* system = System::GetInstance();
    ASSERT_TRUE(system->Initialize());
    ASSERT_NE(system->objectManager, nullptr);
    EXPECT_EQ(system->objectManager->GetPool().size(), OBJECT_POOL_SIZE);
    std::string path = system->logger->GetPath();

    // Frame step 6 removes what was marked.
    system->objectManager->SetObjectFolder(TestSupport::SourceDir() + "/tests/data/objects/");
    GameObject* o = system->objectManager->CreateInstance(DEFAULT, glm::vec3(0.0f));
    ASSERT_NE(o, nullptr);
    o->flags |= OBJ_DESTROY;
    system->Update();
    EXPECT_TRUE(system->objectManager->GetAllObjects().empty());

    system->Shutdown();
    EXPECT_EQ(system->objectManager, nullptr);

    std::string page = TestSupport::ReadFile(path);
    size_t textures = page.find("Graphics system initialized.");
    size_t objects = page.find("Object manager initialized.");
    size_t frames = page.find("Frame rate controller initialized.");
    ASSERT_NE(objects, std::string::npos);
    EXPECT_LT(textures, objects);
    EXPECT_LT(objects, frames);
    size_t meshes = page.find("Releasing all meshes except default mesh");
    size_t defaults = page.find("Releasing all textures except default textures");
    ASSERT_NE(meshes, std::string::npos);
    EXPECT_LT(meshes, defaults);
}

} // namespace
