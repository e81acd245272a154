#include <gtest/gtest.h>
#include <cstdio>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/AIComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

class PatrolAIInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    GameplayHarness game;
};

TEST_F(PatrolAIInProcessTest, Draft)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/patrol.xml"));
    GameObject* enemy = game.Find(ENEMY);
    ASSERT_NE(enemy, nullptr);
    auto* ai = dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI));
    ASSERT_NE(ai, nullptr);
    const PatrolAI& patrol = ai->GetPatrol();
    for (int i = 0; i < 1200; ++i) {
        game.Step();
        if (i % 8 == 0)
            std::printf("%4d st %d idx %d pos %.3f %.3f %.3f v %.2f %.2f %.2f path %zu\n", i, patrol.GetCurrentState(),
                        patrol.GetWaypointIndex(), enemy->position.x, enemy->position.y, enemy->position.z,
                        GetPhysicsComponent(enemy)->velocity.x, GetPhysicsComponent(enemy)->velocity.y,
                        GetPhysicsComponent(enemy)->velocity.z, patrol.GetPath().size());
    }
}

} // namespace
