// The enemy box in the running engine (every frame 1/32 s): dropped five
// units onto the floor it becomes one patrolling enemy, which walks the
// square the box left it and is gone eight seconds later.
#include <gtest/gtest.h>

#include <vector>

#include "engine/objects/GameObject.h"
#include "game/gameplay/AIComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

float Flat(const glm::vec3& a, const glm::vec3& b) { return glm::length(glm::vec2(a.x - b.x, a.z - b.z)); }

class EnemyBoxInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }

    GameplayHarness game;
};

TEST_F(EnemyBoxInProcessTest, ADroppedBoxBecomesAnEnemyThatWalksItsSquareForEightSeconds)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/enemybox.xml"));
    ASSERT_NE(game.Find(ENEMYBOX), nullptr);
    ASSERT_EQ(game.Find(ENEMY), nullptr);

    ASSERT_GT(game.StepUntil([&] { return game.Find(ENEMY) != nullptr; }, 64), 0);
    ASSERT_EQ(game.FindAll(ENEMY).size(), 1u);
    GameObject* enemy = game.Find(ENEMY);
    const glm::vec3 landed = enemy->position;
    EXPECT_EQ(Flat(landed, glm::vec3(3.5f, 0.0f, 4.5f)), 0.0f);
    EXPECT_GT(landed.y, 1.0f);
    EXPECT_LT(landed.y, 1.6f);
    auto* ai = dynamic_cast<AIComponent*>(enemy->GetComponent(CT_AI));
    ASSERT_NE(ai, nullptr);
    const PatrolAI& patrol = ai->GetPatrol();
    const std::vector<glm::vec3> square = patrol.GetWaypoints();
    ASSERT_EQ(square.size(), 4u);
    EXPECT_EQ(square[1], landed + glm::vec3(2.0f, 0.0f, -2.0f));

    // The box is gone with the next frame; the enemy walks its square in
    // order, reaching each corner before it heads for the next, and is
    // removed on its 257th update.
    std::vector<int> order;
    float closest = 100.0f;
    int last = -1;
    int frames = 0;
    while (game.Find(ENEMY) == enemy && frames < 300) {
        if (last >= 0) closest = std::min(closest, Flat(enemy->position, square[static_cast<size_t>(last)]));
        if (patrol.GetWaypointIndex() != last) {
            if (last >= 0) {
                EXPECT_LT(closest, 0.2f) << "corner " << last;
            }
            last = patrol.GetWaypointIndex();
            order.push_back(last);
            closest = 100.0f;
        }
        ASSERT_NE(patrol.GetCurrentState(), PatrolAI::STATE_CHASE) << frames;
        EXPECT_GT(enemy->position.y, 1.0f) << frames;
        game.Step();
        ++frames;
        if (frames == 1) {
            EXPECT_EQ(game.Find(ENEMYBOX), nullptr);
        }
    }
    EXPECT_EQ(frames, 257);
    EXPECT_EQ(game.FindAll(ENEMY).size(), 0u);
    // Round the whole square and on to the next round.
    ASSERT_GE(order.size(), 5u);
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], static_cast<int>(i % 4));
}

} // namespace
