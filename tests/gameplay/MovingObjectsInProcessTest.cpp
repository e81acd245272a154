// Belts, hovering platforms and comets in the running engine: a level loaded
// as the free load, every frame exactly 1/32 s. A crate set on a row of belts rides
// to its far end and drops off onto the floor; a robot standing on a
// hovering platform does not press it down and its jet stream and plume
// stay under it; a spawner allowed three comets drops three, each bursts on
// the floor and nothing of them is left behind.
#include <gtest/gtest.h>

#include <set>

#include "engine/core/System.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/CometComponent.h"
#include "game/gameplay/CometSpawnerComponent.h"
#include "game/gameplay/HoveringPlatform.h"
#include "game/gameplay/JetstreamComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

class MovingObjectsInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    static ParticleEmitter* Emitter(const GameObject* object)
    {
        return dynamic_cast<ParticleEmitter*>(object->GetComponent(CT_PARTICLEEMITTER));
    }
    GameplayHarness game;
};

TEST_F(MovingObjectsInProcessTest, ConveyorCarriesACrateOffItsFarEnd)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/belt.xml"));
    GameObject* crate = game.Find(CRATE);
    const std::vector<GameObject*> belts = game.FindAll(CONVEYORBELT);
    ASSERT_TRUE(crate && belts.size() == 5u);
    const float farEnd = belts.back()->position.x + 0.5f;

    // The row of one-cell belts carries the crate along +x, never sideways:
    // past the middle of the row at over 2 units a second (a push every
    // 1/32 s, about half as often as in the game), off the end within four
    // seconds.
    ASSERT_GT(game.StepUntil([&] { return crate->position.x > belts[3]->position.x; }, 128), 0);
    EXPECT_GT(GetPhysicsComponent(crate)->velocity.x, 2.0f);
    const int frames = game.StepUntil([&] { return crate->position.x > farEnd; }, 128);
    ASSERT_GT(frames, 0);
    EXPECT_NEAR(crate->position.z, 4.5f, 1e-3f);

    // Off the end it drops onto the floor beyond the belt and stays there.
    ASSERT_GT(game.StepUntil([&] { return crate->position.y < 0.6f; }, 96), 0);
    game.Step(32);
    EXPECT_GT(crate->position.x - 0.5f, farEnd);
    EXPECT_NEAR(crate->position.y, 0.5f, 0.05f);
    EXPECT_TRUE(crate->flags & OBJ_ALIVE);
}

TEST_F(MovingObjectsInProcessTest, HoveringPlatformCarriesTheRobotWithItsJetstreamBelow)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/belt.xml"));
    GameObject* platform = game.Find(HOVERINGPLATFORM);
    GameObject* robot = game.Player();
    ASSERT_TRUE(platform && robot);
    auto* hover = dynamic_cast<HoveringPlatform*>(platform->GetComponent(CT_HOVERINGPLATFORM));
    ASSERT_TRUE(hover && hover->m_Jetstream);
    EXPECT_EQ(hover->m_Jetstream, game.Find(JETSTREAM));
    auto* jet = dynamic_cast<JetstreamComponent*>(hover->m_Jetstream->GetComponent(CT_JETSTREAM));
    ASSERT_TRUE(jet && jet->m_Emitter);

    // Ten seconds with the robot standing on it: it neither falls nor
    // visibly sinks, and the robot stays on top.
    const float start = platform->position.y;
    game.Step(320);
    EXPECT_LT(start - platform->position.y, 0.1f);
    EXPECT_NEAR(robot->position.y - platform->position.y, 1.0f, 0.05f);
    // They follow in the update, before the step moves the platform a hair.
    const glm::vec3 below = hover->m_Jetstream->position - platform->position;
    EXPECT_NEAR(glm::length(below - glm::vec3(0.0f, -1.0f, 0.0f)), 0.0f, 1e-3f);
    EXPECT_EQ(jet->m_Emitter->position, hover->m_Jetstream->position);
}

TEST_F(MovingObjectsInProcessTest, CometSpawnerOfThreeDropsThreeThatBurstOnTheFloor)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/comets.xml"));
    GameObject* spawnerObject = game.Find(COMETSPAWNER);
    ASSERT_NE(spawnerObject, nullptr);
    auto* spawner = dynamic_cast<CometSpawnerComponent*>(spawnerObject->GetComponent(CT_COMETSPAWNER));
    ASSERT_NE(spawner, nullptr);

    // Every comet and burst seen between frames, by id.
    std::set<int> comets, bursts;
    std::set<int> plumes;
    auto watch = [&] {
        for (GameObject* comet : game.FindAll(COMET)) {
            comets.insert(comet->id);
            auto* part = dynamic_cast<CometComponent*>(comet->GetComponent(CT_COMET));
            EXPECT_TRUE(part && part->m_Plume) << comet->id;
            if (part && part->m_Plume) plumes.insert(part->m_Plume->id);
        }
        for (GameObject* effect : game.FindAll(PARTICLEEMITTER)) {
            ParticleEmitter* emitter = Emitter(effect);
            if (emitter && emitter->m_count == CometComponent::BURST_COUNT && !emitter->m_active &&
                emitter->m_pattern == CometComponent::BURST_PATTERN) {
                bursts.insert(effect->id);
                EXPECT_LT(effect->position.y, 0.5f) << "a burst away from the floor";
            }
        }
        return false;
    };
    game.StepUntil(watch, 320);
    EXPECT_EQ(spawner->m_SpawnAmount, 3);
    EXPECT_EQ(comets.size(), 3u);
    EXPECT_EQ(plumes.size(), 3u);
    EXPECT_EQ(bursts.size(), 3u);

    // Nothing of them is left: no comet, no plume, no burst.
    EXPECT_TRUE(game.FindAll(COMET).empty());
    for (GameObject* effect : game.FindAll(PARTICLEEMITTER)) {
        EXPECT_EQ(plumes.count(effect->id), 0u);
        EXPECT_EQ(bursts.count(effect->id), 0u);
        EXPECT_NE(Emitter(effect)->m_pattern, CometComponent::PLUME_PATTERN);
    }
}

} // namespace
